#include "place/data_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "book/year_file.h"
#include "text/messages.h"

#ifndef QUIMBARO_INSTALL_BINDIR
#define QUIMBARO_INSTALL_BINDIR ""
#endif

namespace quimbaro {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFolderName = "quimbaro";

// Both with one trailing separator, so "/usr/bin" and "/usr/./bin/" agree.
bool SameFolder(const fs::path& a, const fs::path& b) {
    return !a.empty() && !b.empty() && (a / "").lexically_normal() == (b / "").lexically_normal();
}

// Empty, so that nothing is made, when there is no user data home.
fs::path UserFolder(const DataFolderFacts& facts) {
    return facts.userDataHome.empty() ? fs::path() : facts.userDataHome / kFolderName;
}

// HOME, or the account's home when HOME is unset; empty when neither is an
// absolute path, rather than a folder relative to wherever the program runs.
fs::path HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    const passwd* account = ::getpwuid(::getuid());
    return account != nullptr && account->pw_dir != nullptr && account->pw_dir[0] == '/' ? account->pw_dir : "";
}

// Relative values of XDG_DATA_HOME are to be ignored, as the XDG rules say.
fs::path UserDataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const fs::path home = HomeFolder();
    return home.empty() ? home : home / ".local" / "share";
}

fs::path Resolved(const fs::path& path) {
    std::error_code ignored;
    const fs::path resolved = fs::weakly_canonical(path, ignored);
    return resolved.empty() ? path : resolved;
}

// One level at a time, so that every level created gets mode 0700; each new
// level's entry in its parent is put on disk, or a crash could lose the
// folder with the book in it.
int MakeFolders(const fs::path& folder, FolderUse use) {
    fs::path partial;
    for (const fs::path& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) == 0) {
            if (const int error = SyncFolder(partial.parent_path()); error != 0) return error;
        } else if (errno != EEXIST) {
            return errno;
        }
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return errno;
    if (!S_ISDIR(info.st_mode)) return ENOTDIR;
    const int access = use == FolderUse::Change ? W_OK | X_OK : R_OK | X_OK;
    return ::access(folder.c_str(), access) == 0 ? 0 : errno;
}

}  // namespace

fs::path ProgramFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
}

std::string DataFolderChoice::Why() const {
    switch (source) {
    case DataFolderSource::Option: return "indicada con --data";
    case DataFolderSource::Environment: return "indicada por la variable QUIMBARO_DATA";
    case DataFolderSource::Installed: return "el programa está instalado: carpeta de datos del usuario";
    case DataFolderSource::BesideProgram: return "junto al programa, que no está instalado";
    case DataFolderSource::ProgramReadOnly:
        return "la carpeta del programa no admite escritura: carpeta de datos del usuario";
    }
    return "";
}

DataFolderChoice ChooseDataFolder(const DataFolderFacts& facts) {
    if (!facts.option.empty()) return {facts.option, DataFolderSource::Option};
    if (!facts.environment.empty()) return {facts.environment, DataFolderSource::Environment};
    // Checked before writability, so that root never writes into the bin folder.
    if (SameFolder(facts.programFolder, facts.installBinFolder))
        return {UserFolder(facts), DataFolderSource::Installed};
    if (facts.isWritable && facts.isWritable(facts.programFolder))
        return {facts.programFolder, DataFolderSource::BesideProgram};
    return {UserFolder(facts), DataFolderSource::ProgramReadOnly};
}

DataFolderFacts ProcessDataFolderFacts(const fs::path& option) {
    DataFolderFacts facts;
    facts.option = option.empty() ? option : fs::absolute(option);
    const char* environment = std::getenv("QUIMBARO_DATA");
    if (environment != nullptr && environment[0] != '\0') facts.environment = fs::absolute(environment);
    facts.programFolder = ProgramFolder();
    const fs::path installBin = QUIMBARO_INSTALL_BINDIR;
    if (!installBin.empty()) facts.installBinFolder = Resolved(installBin);
    facts.userDataHome = UserDataHome();
    facts.isWritable = [](const fs::path& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; };
    return facts;
}

std::optional<std::string> PrepareDataFolder(const fs::path& folder, FolderUse use) {
    if (folder.empty()) return kDataFolderUnusableText + std::string("del usuario: no hay carpeta personal (HOME)");
    const int error = MakeFolders(folder, use);
    if (error == 0) return std::nullopt;
    return kDataFolderUnusableText + folder.string() + ": " + SystemReason(error);
}

}  // namespace quimbaro
