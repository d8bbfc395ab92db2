#include "window/after_first_frame.h"

#include <QTimer>

namespace quimbaro {

AfterFirstFrame::AfterFirstFrame(QWidget& widget, std::function<void()> work)
    : QObject(&widget), work_(std::move(work)) {
    widget.installEventFilter(this);
}

bool AfterFirstFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && work_) {
        watched->removeEventFilter(this);
        // Started now, the timer fires once the frame is on screen.
        QTimer::singleShot(0, this, [this] { std::exchange(work_, nullptr)(); });
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quimbaro
