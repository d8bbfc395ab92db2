#include "access/text_table.h"

namespace quimbaro {

namespace {

// One cell, or a column header when row is -1; it reads its texts from the
// table each time it is asked.
class TextCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    TextCell(const TextTable& table, int row, int column) : table_(table), row_(row), column_(column) {}

    bool isValid() const override { return row_ < table_.Rows() && column_ < table_.Columns(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return table_.Self()->window(); }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return table_.Self(); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        const TextCellFacts facts = table_.Cell(row_, column_);
        if (t == QAccessible::Name) return facts.name;
        if (t == QAccessible::Description) return facts.description;
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return table_.Cell(row_, column_).box.translated(table_.Origin()); }
    QAccessible::Role role() const override {
        return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        state.selectable = row_ >= 0;
        state.selected = isSelected();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface && row_ >= 0
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override { return row_ >= 0 && table_.Cell(row_, column_).selected; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {table_.Child(column_)}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return table_.Self(); }

private:
    const TextTable& table_;
    int row_;
    int column_;
};

}  // namespace

int ChildCache::IndexOf(const QAccessibleInterface* child) const {
    for (const auto& [index, made] : children_)
        if (made.first == child) return index;
    return -1;
}

void ChildCache::Follow(int version) {
    if (version == version_) return;
    Clear();
    version_ = version;
}

void ChildCache::Clear() {
    for (const auto& [index, made] : children_) QAccessible::deleteAccessibleInterface(made.second);
    children_.clear();
}

QAccessibleInterface* TextTable::Child(int index) const {
    if (index < 0 || index >= ChildCount()) return nullptr;
    cells_.Follow(FactsVersion());
    const int columns = Columns();
    return cells_.Get(index, [&] { return new TextCell(*this, index / columns - 1, index % columns); });
}

int TextTable::IndexOfChild(const QAccessibleInterface* child) const {
    cells_.Follow(FactsVersion());
    return cells_.IndexOf(child);
}

QAccessibleInterface* TextTable::ChildAt(int x, int y) const {
    const QPoint point = QPoint(x, y) - Origin();
    for (int row = -1; row < Rows(); ++row)
        for (int column = 0; column < Columns(); ++column)
            if (Cell(row, column).box.contains(point)) return cellAt(row, column);
    return nullptr;
}

// Row -1 answers the header cells.
QAccessibleInterface* TextTable::cellAt(int row, int column) const {
    if (row < -1 || row >= Rows() || column < 0 || column >= Columns()) return nullptr;
    return Child((row + 1) * Columns() + column);
}

QList<QAccessibleInterface*> TextTable::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    for (int row = 0; row < Rows(); ++row)
        for (int column = 0; column < Columns(); ++column)
            if (Cell(row, column).selected) cells << cellAt(row, column);
    return cells;
}

}  // namespace quimbaro
