#pragma once
// Work that the first frame need not wait for: it runs once the widget has
// painted for the first time, so the frame is drawn and handed to the screen
// first. A zero timer started before showing would not do: it can fire
// before the first paint.

#include <QEvent>
#include <QObject>
#include <QWidget>
#include <functional>

namespace quimbaro {

class AfterFirstFrame : public QObject {
public:
    AfterFirstFrame(QWidget& widget, std::function<void()> work);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> work_;
};

}  // namespace quimbaro
