#include "window/after_first_frame.h"

namespace quimbaro {

AfterFirstFrame::AfterFirstFrame(QWidget& widget, std::function<void()> work,
                                 std::chrono::milliseconds noFrameWait)
    : QObject(&widget), work_(std::move(work)) {
    widget.installEventFilter(this);
    noFrame_.setSingleShot(true);
    connect(&noFrame_, &QTimer::timeout, this, &AfterFirstFrame::RunOnce);
    noFrame_.start(noFrameWait);
}

bool AfterFirstFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && work_) {
        watched->removeEventFilter(this);
        // Started now, the timer fires once the frame is on screen.
        noFrame_.start(0);
    }
    return QObject::eventFilter(watched, event);
}

void AfterFirstFrame::RunOnce() {
    if (work_) std::exchange(work_, nullptr)();
}

}  // namespace quimbaro
