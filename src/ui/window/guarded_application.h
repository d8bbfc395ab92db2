#pragma once
// The window's application: an allocation that fails while an event is
// handled ends the program with a message rather than an abort. Every change
// is on disk before the window shows it, so nothing shown is lost.

#include <QApplication>

namespace quimbaro {

class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace quimbaro
