#include "window/scroll_appointments.h"

#include <QEvent>
#include <QKeyEvent>

namespace quimbaro {

namespace {

bool StepIf(bool allowed, int32_t& offset, int32_t step) {
    if (allowed) offset += step;
    return allowed;
}

}  // namespace

bool StepScrollOffset(int key, int32_t& offset, int32_t lowest) {
    const bool canGoDown = offset > lowest;
    const bool canGoUp = offset < 0;
    switch (key) {
    case Qt::Key_Down: return StepIf(canGoDown, offset, -kArrowStep);
    case Qt::Key_Up: return StepIf(canGoUp, offset, kArrowStep);
    case Qt::Key_PageDown: return StepIf(canGoDown, offset, -kPageStep);
    case Qt::Key_PageUp: return StepIf(canGoUp, offset, kPageStep);
    case Qt::Key_End: offset = lowest; return true;
    case Qt::Key_Home: offset = 0; return true;
    default: return false;
    }
}

ScrollAppointments::ScrollAppointments(QObject* parent, int32_t& offset, const int32_t& lowest,
                                       std::function<void()> redraw)
    : QObject(parent), offset_(offset), lowest_(lowest), redraw_(std::move(redraw)) {}

bool ScrollAppointments::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (StepScrollOffset(key, offset_, lowest_)) redraw_();
    // While the area has the focus, Tab belongs to it: the control's own
    // handling would move the focus away, so it stops here.
    return key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

}  // namespace quimbaro
