#pragma once
// Ends the event loop once a window has painted its first frame. The loop
// is told to leave as the paint begins: the paint and its hand-over to the
// platform still finish, in this same pass of the loop, and the pass ends
// before anything the program set to run after the frame. A queued quit
// waited a pass more, and let that work (the icon, the reminders) into the
// figure.

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
            QCoreApplication::exit(0);  // leaves no window closed mid-paint, as quit() could
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

}  // namespace quimbaro::bench
