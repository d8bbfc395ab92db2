#pragma once
// What a screen reader is told about the window: the facts the window drew
// from, kept as the session answered them. Texts are made from them only
// when an assistive tool asks.

#include <QObject>

#include <optional>

#include "session/session_answer.h"

namespace quimbaro {

// The parts of the window that answer for themselves.
enum class ScreenPart { None, Window, DayTable, MonthStrip };

struct ScreenFacts {
    DayView day;               // the day on display, its rows and marks
    std::optional<WeekView> week;  // the week in the day table's place, while shown
    bool creditShown = false;  // the author credit covers the strip
    // Moves on whenever the above changes, so that interfaces made before
    // know they show old texts.
    int version = 0;
};

// Implemented by the window that owns the facts; interfaces reach it
// through their widget's window.
class ScreenFactsSource {
public:
    virtual const ScreenFacts& Facts() const = 0;
    virtual ScreenPart PartOf(const QObject& object) const = 0;

protected:
    ~ScreenFactsSource() = default;
};

}  // namespace quimbaro
