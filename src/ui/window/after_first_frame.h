#pragma once
// Work that the first frame need not wait for: it runs once the widget has
// painted for the first time, so the frame is drawn and handed to the screen
// first. A zero timer started before showing would not do: it can fire
// before the first paint. A window that is never painted (started
// minimised) still gets the work done, after a short wait.

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>

namespace quimbaro {

inline constexpr std::chrono::milliseconds kNoFrameWait{3000};

class AfterFirstFrame : public QObject {
public:
    AfterFirstFrame(QWidget& widget, std::function<void()> work,
                    std::chrono::milliseconds noFrameWait = kNoFrameWait);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RunOnce();

    std::function<void()> work_;
    QTimer noFrame_;
};

}  // namespace quimbaro
