#!/usr/bin/env bash
# Installs into a temporary prefix and into a DESTDIR, checks the trees and
# their files with the tools a distribution uses, then runs the installed
# program to see where it keeps the book.
# Usage: install_test.sh SOURCE_DIR WORK_DIR CMAKE VERSION CXX_COMPILER
set -euo pipefail
source_dir=$1 work=$2 cmake=$3 version=$4 cxx=$5
prefix=$work/prefix
app=org.quimbaro.Quimbaro
icon_sizes=(16 22 24 32 48 64 128 256)

fail() { echo "FAIL: $*" >&2; exit 1; }

build_and_install() {
  [[ -d $prefix/bin ]] && chmod u+w "$prefix/bin"
  rm -rf "$prefix" "$work/destdir" "$work/home" "$work/owner" "$work/data"
  "$cmake" -S "$source_dir" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib \
    -DQUIMBARO_TESTS=OFF -DQUIMBARO_BENCH=OFF >/dev/null
  "$cmake" --build "$work/build" -j 2 >/dev/null
  "$cmake" --install "$work/build" >/dev/null
  DESTDIR=$work/destdir "$cmake" --install "$work/build" >/dev/null
  mkdir -p "$work/home" "$work/data"
  # A build folder under a private home cannot be reached by nobody: stay root.
  if [[ ${#as_user[@]} != 0 ]] && ! "${as_user[@]}" test -x "$prefix/bin/quimbaro"; then as_user=(); fi
  [[ ${#as_user[@]} == 0 ]] || chown 65534:65534 "$work/home" "$work/data"
}

expected_files() {
  echo bin/quimbaro
  echo lib/quimbaro/quimbaro-window.so
  echo share/applications/$app.desktop
  echo share/metainfo/$app.metainfo.xml
  echo share/bash-completion/completions/quimbaro
  for size in "${icon_sizes[@]}"; do echo "share/icons/hicolor/${size}x$size/apps/$app.png"; done
  echo share/icons/hicolor/scalable/apps/$app.svg
  echo share/man/man1/quimbaro.1.gz
  echo share/doc/quimbaro/copyright
  echo share/doc/quimbaro/changelog.gz
}

# Exactly the expected files, nothing stray, each icon at its folder's size.
check_tree() {
  local root=$1
  diff <(expected_files | sort) <(cd "$root" && find . -type f | sed 's|^\./||' | sort) ||
    fail "installed files under $root differ from the list above"
  [[ -x $root/bin/quimbaro ]] || fail "the program is not executable"
  for size in "${icon_sizes[@]}"; do
    file "$root/share/icons/hicolor/${size}x$size/apps/$app.png" | grep -q ": PNG image data, $size x $size," ||
      fail "the ${size}x$size icon is not $size pixels square"
  done
}

check_destdir() {
  check_tree "$work/destdir$prefix"
  [[ -z $(find "$work/destdir" -type f -not -path "$work/destdir$prefix/*") ]] ||
    fail "the DESTDIR install wrote outside DESTDIR/prefix"
}

check_metadata() {
  local share=$prefix/share
  desktop-file-validate "$share/applications/$app.desktop" || fail "desktop-file-validate"
  appstreamcli validate --no-net "$share/metainfo/$app.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate: $(appstreamcli validate --no-net "$share/metainfo/$app.metainfo.xml")"
  grep -qx "Exec=quimbaro" "$share/applications/$app.desktop" || fail "Exec does not start the program"
  grep -qx "Icon=$app" "$share/applications/$app.desktop" || fail "Icon does not name the installed icon"
  grep -q "<release version=\"$version\"" "$share/metainfo/$app.metainfo.xml" ||
    fail "the metadata's releases lack version $version"
}

# The page renders without a warning and documents what a user types.
check_manual() {
  local page
  page=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$prefix/share/man/man1/quimbaro.1.gz" 2>"$work/man.err")
  [[ ! -s $work/man.err ]] || fail "man warns: $(cat "$work/man.err")"
  grep -q "Quimbaro $version" <<<"$page" || fail "the manual is not for version $version"
  for text in hoy ayer mañana DD/MM/AAAA ascendente descendente color autor salir "list " "add " "print " \
    --data --help --version QUIMBARO_DATA XDG_DATA_HOME .local/share/quimbaro NNNN.log Configuracion.ini; do
    grep -qF -- "$text" <<<"$page" || fail "the manual does not mention $text"
  done
}

# Runs the installed program in a clean environment with a temporary HOME,
# as a user who cannot write the program's folder (root runs it as nobody);
# leading VAR=VALUE arguments are added to that environment.
as_user=()
if [[ $(id -u) == 0 ]]; then as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi
installed() {
  local vars=()
  while [[ $# -gt 0 && $1 =~ ^[A-Z_]+= ]]; do vars+=("$1"); shift; done
  env -i HOME="$work/home" PATH=/usr/bin:/bin LANG=C.UTF-8 "${vars[@]}" \
    "${as_user[@]}" "$prefix/bin/quimbaro" "$@"
}
line='05/12/2026|09:30|600111222|Ana|Revisión'
records() { local f=$1/2026.log; [[ -f $f ]] && echo $(($(stat -c %s "$f") / 155)) || echo 0; }

# Installed means the user's folder even for a user who could write the
# program's folder (root, or the one who installed it).
# Sourced as bash-completion sources it, the completion answers for the program.
check_completion() {
  bash -c "source '$prefix/share/bash-completion/completions/quimbaro' && complete -p quimbaro" |
    grep -qx 'complete -F _quimbaro quimbaro' || fail "the installed completion does not register itself"
}

check_installed_rule() {
  env -i HOME="$work/owner" PATH=/usr/bin:/bin LANG=C.UTF-8 "$prefix/bin/quimbaro" add "$line" ||
    fail "add by the owner failed"
  [[ $(records "$work/owner/.local/share/quimbaro") == 1 ]] || fail "the owner's appointment is not in HOME"
  [[ $(ls "$prefix/bin") == quimbaro ]] || fail "the program wrote into its own folder"
  # The window comes from the installed module: still open when the time is up.
  local status=0
  env -i HOME="$work/owner" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen \
    timeout 5 "$prefix/bin/quimbaro" 2>"$work/window.err" || status=$?
  [[ $status == 124 ]] || fail "the installed window did not open: $(cat "$work/window.err")"
}

check_user_folder() {
  local data=$work/home/.local/share/quimbaro
  installed --version | grep -qF "$version" || fail "--version does not print $version"
  chmod a-w "$prefix/bin"
  installed add "$line" || fail "add failed"
  [[ $(records "$data") == 1 ]] || fail "the appointment is not in $data"
  [[ $(stat -c %a "$data") == 700 && $(stat -c %a "$data/2026.log") == 600 ]] ||
    fail "the data folder or year file can be read by others"
  [[ $(installed list 05/12/2026) == $'sábado 5 de diciembre de 2026\n  1  09:30  600 11 12 22  Ana  Revisión' ]] ||
    fail "list prints: $(installed list 05/12/2026)"
  installed list 05/12/2026 --format json | python3 -c 'import json, sys; sys.exit(json.load(sys.stdin) != [{
    "fecha": "05/12/2026", "hora": "09:30", "telefono": "600111222", "nombre": "Ana", "asunto": "Revisión",
    "fila": 1, "fecha_iso": "2026-12-05", "repeticion": ""}])' ||
    fail "list's json is not the appointment"
  # print draws its pages in the installed module, with no display.
  installed print 05/12/2026 --pdf "$work/home/dia.pdf" >/dev/null || fail "print failed"
  pdftotext "$work/home/dia.pdf" - | grep -q "Revisión" || fail "the printed page lacks the appointment"
  installed XDG_DATA_HOME="$work/data/xdg" add "$line" || fail "add with XDG_DATA_HOME failed"
  [[ $(records "$work/data/xdg/quimbaro") == 1 ]] || fail "XDG_DATA_HOME is not the user's data folder"
}

# QUIMBARO_DATA wins over the user's folder, --data over both.
check_explicit_folders() {
  local env_dir=$work/data/env option_dir=$work/data/option
  installed QUIMBARO_DATA="$env_dir" add "$line" || fail "add with QUIMBARO_DATA failed"
  installed QUIMBARO_DATA="$env_dir" add --data "$option_dir" "$line" || fail "add --data failed"
  [[ "$(records "$env_dir") $(records "$option_dir") $(records "$work/home/.local/share/quimbaro")" == "1 1 1" ]] ||
    fail "QUIMBARO_DATA and --data were not obeyed"
}

# A usage error and a failure: one line on stderr, nothing on stdout, their status.
check_failures() {
  local status=0
  installed --bogus >"$work/out" 2>"$work/err" || status=$?
  [[ $status == 2 && ! -s $work/out && $(<"$work/err") == "quimbaro: opción desconocida: --bogus" ]] ||
    fail "--bogus ended with $status: $(<"$work/err")"
  status=0
  installed QUIMBARO_DATA=/proc/quimbaro list >"$work/out" 2>"$work/err" || status=$?
  [[ $status == 1 && ! -s $work/out && $(<"$work/err") == "quimbaro: No se puede usar la carpeta de datos"* ]] ||
    fail "an unusable folder ended with $status: $(<"$work/err")"
}

build_and_install
check_tree "$prefix"
check_destdir
check_metadata
check_manual
check_completion
check_installed_rule
check_user_folder
check_explicit_folders
check_failures
echo "install checks passed"
