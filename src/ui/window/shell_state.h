#pragma once
// The window's pixels for the whole run, owned by the main window.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

#include "session/session_answer.h"
#include "views/table_view.h"
#include "window/scroll_appointments.h"
#include "surface/surface.h"

namespace quimbaro {

inline constexpr int kCanvasWidth = 1160;
inline constexpr int kCanvasHeight = 2000;
inline constexpr int kTableWidth = 1160;
inline constexpr int kTableHeight = 704;

struct ShellState {
    Surface surface;
    std::unique_ptr<Picture> tablePicture;  // 1160 x 704, shown on AppointmentsArea
    // 1160 x 2000, the source of scrolling: made and painted on the first
    // scroll after the table changed, as most days are never scrolled.
    std::unique_ptr<Picture> canvasImage;
    bool canvasStale = true;
    // The view rectangle is left 0, top scrollOffset, right 1160, bottom 2000;
    // only its top ever changes.
    int32_t scrollOffset = 0;
    int32_t lowestScrollOffset = kLowestScrollOffset;  // the week's own while one is shown
    std::optional<WeekView> week;  // the week in the table's place, drawn anew on each scroll
    QPointer<QWidget> savedFocus;
    std::unique_ptr<TableGrid> tableGrid = std::make_unique<TableGrid>();  // large: kept off the stack
};

}  // namespace quimbaro
