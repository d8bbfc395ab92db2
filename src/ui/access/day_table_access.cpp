#include "access/day_table_access.h"

#include <QAccessibleWidget>

#include "access/spoken_texts.h"
#include "access/text_table.h"
#include "access/week_reading.h"
#include "command/row_commands.h"
#include "views/table_view.h"

namespace quimbaro {

namespace {

constexpr int kColumns = 4;

class DayTableAccess : public QAccessibleWidget, public TextTable {
public:
    DayTableAccess(QWidget& area, const ScreenFactsSource& source)
        : QAccessibleWidget(&area, QAccessible::Table), source_(source) {}

    QString text(QAccessible::Text t) const override {
        const DayView& day = source_.Facts().day;
        if (const auto& week = source_.Facts().week; week && (t == QAccessible::Name || t == QAccessible::Description))
            return t == QAccessible::Name ? WeekTableName(*week) : WeekTableSummary(*week);
        if (t == QAccessible::Name) return DayTableName(day.date);
        if (t == QAccessible::Description) return DayTableSummary(Rows(), static_cast<int>(day.matched.count()));
        return QAccessibleWidget::text(t);
    }
    QAccessibleInterface* child(int index) const override { return Child(index); }
    int childCount() const override { return ChildCount(); }
    int indexOfChild(const QAccessibleInterface* child) const override { return IndexOfChild(child); }
    QAccessibleInterface* childAt(int x, int y) const override { return ChildAt(x, y); }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessibleInterface* Self() const override { return const_cast<DayTableAccess*>(this); }
    int Rows() const override {
        const auto& week = source_.Facts().week;
        return week ? WeekTableRows(*week) : RowsShown(source_.Facts().day.rows);
    }
    int Columns() const override { return kColumns; }
    TextCellFacts Cell(int row, int column) const override {
        if (const auto& week = source_.Facts().week) return WeekTableCell(*week, row, column);
        if (row < 0) return {ColumnHeader(column), {}, false, CellBox(column, 0)};
        const DayView& day = source_.Facts().day;
        return {ShownFieldText(day.rows.slots[static_cast<std::size_t>(row)], column).trimmed(), RowText(row), false,
                CellBox(column, row + 1)};
    }
    QString RowText(int row) const override {
        if (const auto& week = source_.Facts().week) return WeekRowText(*week, row);
        const DayView& day = source_.Facts().day;
        const auto index = static_cast<std::size_t>(row);
        return RowDescription(row + 1, day.matched.test(index), day.repeating.test(index));
    }
    int FactsVersion() const override { return source_.Facts().version; }
    QPoint Origin() const override { return rect().topLeft(); }

private:
    const ScreenFactsSource& source_;
};

}  // namespace

QAccessibleInterface* NewDayTableAccess(QWidget& area, const ScreenFactsSource& source) {
    return new DayTableAccess(area, source);
}

}  // namespace quimbaro
