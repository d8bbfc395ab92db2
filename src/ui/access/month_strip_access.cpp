#include "access/month_strip_access.h"

#include <QAccessibleWidget>
#include <algorithm>

#include "access/spoken_texts.h"
#include "access/text_table.h"
#include "views/author_credit.h"
#include "views/month_strip.h"

namespace quimbaro {

namespace {

constexpr int kMonths = 7;
constexpr int kWeekdays = 7;
constexpr int kColumnStep = 2 * kCalendarCellSize + 2;
constexpr int kRowStep = 2 * kCalendarCellSize;

class MonthStripAccess : public QAccessibleWidget {
public:
    MonthStripAccess(QWidget& panel, const ScreenFactsSource& source)
        : QAccessibleWidget(&panel, QAccessible::Grouping), source_(source) {}

    const ScreenFacts& Facts() const { return source_.Facts(); }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        const CalendarDate& shown = Facts().day.date;
        return Facts().creditShown ? AuthorCreditText() : StripName(shown.year, shown.month);
    }
    QAccessibleInterface* child(int index) const override;
    int childCount() const override { return Facts().creditShown ? 0 : kMonths; }
    int indexOfChild(const QAccessibleInterface* child) const override {
        months_.Follow(Facts().version);
        return months_.IndexOf(child);
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int k = 0; k < childCount(); ++k)
            if (child(k)->rect().contains(x, y)) return child(k);
        return nullptr;
    }

private:
    const ScreenFactsSource& source_;
    mutable ChildCache months_;
};

// Block k (-3..3 from the shown month): a row per week, a column per weekday.
class MonthTableAccess : public QAccessibleInterface, public TextTable {
public:
    MonthTableAccess(const MonthStripAccess& strip, int k) : strip_(strip), k_(k) {}

    bool isValid() const override { return strip_.isValid() && !strip_.Facts().creditShown; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return strip_.window(); }
    QAccessibleInterface* parent() const override { return const_cast<MonthStripAccess*>(&strip_); }
    QAccessibleInterface* child(int index) const override { return Child(index); }
    int childCount() const override { return ChildCount(); }
    int indexOfChild(const QAccessibleInterface* child) const override { return IndexOfChild(child); }
    QAccessibleInterface* childAt(int x, int y) const override { return ChildAt(x, y); }
    QString text(QAccessible::Text t) const override {
        const MonthBlock block = Block();
        return t == QAccessible::Name ? MonthInWords(block.year, block.month) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const MonthBlock block = Block();
        return QRect(QPoint(block.left - 5, block.top), QPoint(MeasureMonth(block) + 5, CellTop(Rows())))
            .translated(Origin());
    }
    QAccessible::Role role() const override { return QAccessible::Table; }
    QAccessible::State state() const override { return {}; }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this) : nullptr;
    }

    QAccessibleInterface* Self() const override { return const_cast<MonthTableAccess*>(this); }
    int Rows() const override { return (Lead() + DaysInMonth(Block().month, Block().year) + kWeekdays - 1) / kWeekdays; }
    int Columns() const override { return kWeekdays; }
    TextCellFacts Cell(int row, int column) const override;
    int FactsVersion() const override { return strip_.Facts().version; }
    QPoint Origin() const override { return strip_.rect().topLeft(); }

private:
    MonthBlock Block() const {
        const CalendarDate& shown = strip_.Facts().day.date;
        return StripBlock(shown.year, shown.month, k_);
    }
    // Empty cells before the 1st in the first week.
    int Lead() const { return DayOfWeek(Block().year, Block().month, 1) - 1; }
    int CellTop(int row) const { return Block().top + (row + 2) * kRowStep; }

    const MonthStripAccess& strip_;
    int k_;
};

TextCellFacts MonthTableAccess::Cell(int row, int column) const {
    const MonthBlock block = Block();
    const QRect box(block.left - 2 + column * kColumnStep, CellTop(row), kColumnStep - 2, kRowStep - 2);
    if (row < 0) return {WeekdayName(column + 1), {}, false, box};
    const int day = row * kWeekdays + column - Lead() + 1;
    if (day < 1 || day > DaysInMonth(block.month, block.year)) return {{}, {}, false, box};
    const CalendarDate date{static_cast<int16_t>(block.year), static_cast<int16_t>(block.month),
                            static_cast<int16_t>(day)};
    const DayView& view = strip_.Facts().day;
    const bool shown = date == view.date;
    const bool marked = std::binary_search(view.matchDays.begin(), view.matchDays.end(), date);
    return {DayInWords(date), StripDayDescription(shown, column == kWeekdays - 1, marked), shown, box};
}

QAccessibleInterface* MonthStripAccess::child(int index) const {
    if (index < 0 || index >= childCount()) return nullptr;
    months_.Follow(Facts().version);
    return months_.Get(index, [&] { return new MonthTableAccess(*this, index - kMonths / 2); });
}

}  // namespace

QAccessibleInterface* NewMonthStripAccess(QWidget& panel, const ScreenFactsSource& source) {
    return new MonthStripAccess(panel, source);
}

}  // namespace quimbaro
