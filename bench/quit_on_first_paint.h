#pragma once
// Ends the event loop once a window has painted its first frame: the quit is
// queued behind the paint, so the frame is complete and handed to the
// platform before the program leaves.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

namespace quimbaro::bench {

class QuitOnFirstPaint : public QObject {
public:
    explicit QuitOnFirstPaint(QWidget& window) { window.installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                      Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

}  // namespace quimbaro::bench
