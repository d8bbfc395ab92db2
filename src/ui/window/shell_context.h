#pragma once
// What the window is given from outside: where the data lives, where "today"
// comes from, the settings read at start-up, and how the process ends. Tests
// pass their own folder, clock and exit hook.

#include <QAccessible>
#include <filesystem>
#include <functional>
#include <utility>

#include "calendar/dates.h"
#include "book/day_index.h"
#include "calendar/wall_clock.h"
#include "dialogs/colour_choice.h"
#include "dialogs/print_choice.h"
#include "settings/settings.h"

namespace quimbaro {

// Ends the process at once with the code, as "salir" asks: nothing more runs.
[[noreturn]] void EndProcessAtOnce(int exitCode);

struct ShellContext {
    ShellContext(std::filesystem::path folder, TodayClock clock, SettingsStore& store)
        : dataFolder(std::move(folder)), today(std::move(clock)), settings(store) {}

    std::filesystem::path dataFolder;
    TodayClock today;
    SettingsStore& settings;
    WallClock now = LocalWallTime;  // the time of day, for reminders
    DayIndexPlace dayIndex;         // where days of large year files are looked up (empty: none)
    CustomColours customColours = InitialCustomColours();
    std::function<void(int exitCode)> endProcess = EndProcessAtOnce;
    // Called after each step of the entry's fill animation, while the fill is
    // on screen; lets tests look at the pixels.
    std::function<void(int step)> afterFillStep;
    // Whether an assistive tool listens, so that changes are worth
    // announcing, and where the announcements go.
    std::function<bool()> toolListens = [] { return QAccessible::isActive(); };
    std::function<void(QAccessibleEvent*)> tellTools = QAccessible::updateAccessibility;
    // Picks the printer for "imprimir"; false when the user cancels. Tests
    // set a PDF file instead of asking.
    std::function<bool(QPrinter&, QWidget& parent)> choosePrinter = ChoosePrinter;
};

}  // namespace quimbaro
