#pragma once
// The shell's own state for the whole run, owned by the main window.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "book/change_record.h"
#include "views/table_view.h"
#include "calendar/dates.h"
#include "surface/surface.h"

namespace quimbaro {

inline constexpr int kCanvasWidth = 1160;
inline constexpr int kCanvasHeight = 2000;
inline constexpr int kTableWidth = 1160;
inline constexpr int kTableHeight = 704;

// The day on display as the last ShowDay named it; loaded is false when its
// year file could not be read, so the table shows no rows of it.
struct ShownDay {
    CalendarDate date;
    std::string key;
    bool loaded = false;
};

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
    std::string commandText;  // the last line read from the entry, Windows-1252
    QPointer<QWidget> savedFocus;
    std::unique_ptr<TableGrid> tableGrid = std::make_unique<TableGrid>();  // large: kept off the stack
    DayList dayList;  // with the file positions of the shown rows
    StepDate stepDate;
    ShownDay shownDay;
    // The row "editar" put into the entry, until its line is stored or the
    // edit is cancelled.
    std::optional<StoredRecord> pendingEdit;
    std::vector<UndoStep> undoSteps;  // this run's deletions and edits, the last one at the back
};

}  // namespace quimbaro
