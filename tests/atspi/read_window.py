#!/usr/bin/env python3
"""Reads the running window over the accessibility bus as a screen reader
would: the day table, its headers and an appointment with accents, the
strip's shown day; types a date and hears the table change; types
`editar 1` and reads the entry's description. Prints the tree it read.
Every wait runs until its condition holds, with a generous cap."""
import datetime
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

CAP_SECONDS = 180
WEEKDAYS = ["lunes", "martes", "miércoles", "jueves", "viernes", "sábado", "domingo"]
MONTHS = ["enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto",
          "septiembre", "octubre", "noviembre", "diciembre"]
heard = []  # (event, name, description) of what announced a change


def in_words(day):
    return f"{WEEKDAYS[day.weekday()]} {day.day} de {MONTHS[day.month - 1]} de {day.year}"


def wait_until(what, probe):
    deadline = time.monotonic() + CAP_SECONDS
    while True:
        context = GLib.MainContext.default()
        while context.pending():
            context.iteration(False)
        try:
            value = probe()
        except GLib.Error:  # the tree moved while it was read: read it again
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            sys.exit(f"FAIL: {what}: not seen within {CAP_SECONDS} s")
        time.sleep(0.1)


def check(what, seen, expected):
    if seen != expected:
        sys.exit(f"FAIL: {what}: {seen!r}, expected {expected!r}")
    print(f"ok: {what}: {seen!r}")


def the_app():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name.lower() == "quimbaro" and app.childCount > 0:
            app.set_cache_mask(Atspi.Cache.NONE)  # read what the window says now
            return app
    return None


def find(root, predicate):
    return pyatspi.findDescendant(root, predicate)


def role_is(role):
    return lambda node: node is not None and node.getRole() == role


def day_table(frame):
    return find(frame, lambda n: role_is(pyatspi.ROLE_TABLE)(n) and n.name.startswith("Citas del "))


def rows_of(table):
    cells = table.queryTable()
    return [[cells.getAccessibleAt(r, c).name for c in range(cells.nColumns)] for r in range(cells.nRows)]


def selected_days(frame):
    months = pyatspi.findAllDescendants(frame, lambda n: role_is(pyatspi.ROLE_TABLE)(n)
                                        and not n.name.startswith("Citas del "))
    return [cell.name for month in months for cell in month
            if cell.getState().contains(pyatspi.STATE_SELECTED)]


def dump(node, depth=0):
    """One line per node; of a month only the cells that say more than their date."""
    text = f"{'  ' * depth}[{node.getRoleName()}] {node.name!r}"
    if node.description:
        text += f" ({node.description})"
    if node.getState().contains(pyatspi.STATE_SELECTED):
        text += " seleccionado"
    print(text)
    is_month = node.getRole() == pyatspi.ROLE_TABLE and not node.name.startswith("Citas del ")
    for child in node:
        if is_month and child.getRole() == pyatspi.ROLE_TABLE_CELL and not child.description:
            continue
        dump(child, depth + 1)


def type_line(line):
    window = wait_until("the X window", lambda: subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", "^Quimbaro$"], capture_output=True, text=True).stdout.split())
    subprocess.run(["xdotool", "windowfocus", "--sync", window[0]], check=True)
    subprocess.run(["xdotool", "type", "--delay", "20", line], check=True)
    subprocess.run(["xdotool", "key", "Return"], check=True)


def main():
    app = wait_until("the program on the accessibility bus", the_app)
    frame = wait_until("its frame", lambda: find(app, role_is(pyatspi.ROLE_FRAME)))
    check("frame", frame.name, "Quimbaro")
    today = datetime.date.today()
    table = wait_until("the day table", lambda: day_table(frame))
    check("table name", table.name, "Citas del " + in_words(today))
    cells = table.queryTable()
    check("headers", [cells.getColumnHeader(c).name for c in range(cells.nColumns)],
          ["Hora", "Teléfono", "Nombre", "Asunto"])
    check("rows", rows_of(table), [["09:30", "600 11 12 22", "José Peña", "Revisión del año"]])
    check("strip's shown day", selected_days(frame), [in_words(today)])
    entry = wait_until("the entry", lambda: find(frame, lambda n: n is not None and n.name == "Orden"))
    print("--- tree at start")
    dump(frame)

    # The bridge carries the object that changed, not its new text: read it as heard.
    pyatspi.Registry.registerEventListener(lambda e: heard.append((e.type, e.source.name, e.source.description)),
                                           "object:property-change")
    type_line("24/12/2030")
    shown = "Citas del " + in_words(datetime.date(2030, 12, 24))
    wait_until("the new day's name", lambda: day_table(frame).name == shown)
    wait_until("the announcement of the new day and its appointments",
               lambda: ("object:property-change:accessible-description", shown, "2 citas") in heard)
    check("new rows", rows_of(day_table(frame)),
          [["08:00", "", "Ana", "Café"], ["10:00", "611 22 33 44", "Íñigo Ibáñez", "Cumpleaños"]])
    check("new day's summary", day_table(frame).description, "2 citas")
    check("strip's new shown day", selected_days(frame), ["martes 24 de diciembre de 2030"])

    type_line("editar 1")
    description = wait_until("the entry's description while editing",
                             lambda: entry.description if entry.description.startswith("Editando") else None)
    check("entry while editing", description.split(":")[0], "Editando la cita de la fila 1")
    print("--- tree after 24/12/2030 and editar 1")
    dump(frame)
    print("PASS")


main()
