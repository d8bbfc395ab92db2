#pragma once
// Reminders while the window is open: a timer looks at the wall clock and
// the book, and due appointments go to the desktop as notifications. Without
// a notification server the service stays off for the run, after one line
// on stderr.

#include <QObject>
#include <QTimer>
#include <filesystem>

#include "calendar/wall_clock.h"
#include "notify/desktop_notifier.h"
#include "reminders/reminder_watch.h"

namespace quimbaro {

// Often enough that a reminder is never much late, also after the machine
// slept: the timer does not count the sleep, the clock does.
inline constexpr int kReminderTickMilliseconds = 15000;

// What the reminders read: the book's folder, the clock, and the lead in
// minutes, which "aviso N" changes while they run (so held by reference).
struct ReminderInputs {
    std::filesystem::path dataFolder;
    WallClock now;
    const int16_t& leadMinutes;
    int tickMilliseconds = kReminderTickMilliseconds;
};

class ReminderService : public QObject {
    Q_OBJECT
public:
    // The lead the inputs refer to must outlive the service.
    explicit ReminderService(ReminderInputs inputs, QObject* parent = nullptr);

    // Looks for the notification server; the ticks start once it answers.
    void Start();
    // One look at the clock; the timer calls it, and so may anyone who just
    // changed the book or the settings.
    void Tick();
    enum class State { Asking, Running, Off };  // Off: no notification server
    State CurrentState() const { return state_; }

Q_SIGNALS:
    // A reminder was clicked: the user wants the window and today.
    void Clicked();

private:
    void ReportReadFailure(const StoreResult& result);

    const ReminderInputs inputs_;
    DesktopNotifier notifier_;
    QTimer timer_;
    ReminderWatch watch_;
    State state_ = State::Asking;
    bool readFailing_ = false;  // told once until a read works again
};

}  // namespace quimbaro
