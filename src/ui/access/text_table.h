#pragma once
// A table of plain texts under one header row, as the day table and each
// month of the strip are read. The header cells are the first children,
// then the cells row by row. Cells are made only when an assistive tool
// asks, and dropped once the facts they were read from move on.

#include <QAccessible>
#include <QRect>
#include <QString>
#include <map>

namespace quimbaro {

// Child interfaces kept registered, so that a tool asking twice gets the
// same object.
class ChildCache {
public:
    ChildCache() = default;
    ChildCache(const ChildCache&) = delete;
    ChildCache& operator=(const ChildCache&) = delete;
    ~ChildCache() { Clear(); }

    template <class Make>
    QAccessibleInterface* Get(int index, Make make) {
        if (const auto it = children_.find(index); it != children_.end()) return it->second.first;
        QAccessibleInterface* made = make();
        children_[index] = {made, QAccessible::registerAccessibleInterface(made)};
        return made;
    }
    int IndexOf(const QAccessibleInterface* child) const;
    // Forgets the children made for another version of the facts.
    void Follow(int version);
    void Clear();

private:
    std::map<int, std::pair<QAccessibleInterface*, QAccessible::Id>> children_;
    int version_ = -1;
};

// What one cell says. Row -1 is the header row.
struct TextCellFacts {
    QString name;
    QString description;
    bool selected = false;
    QRect box;  // in the table's own widget
};

class TextTable : public QAccessibleTableInterface {
public:
    virtual QAccessibleInterface* Self() const = 0;
    virtual int Rows() const = 0;
    virtual int Columns() const = 0;
    virtual TextCellFacts Cell(int row, int column) const = 0;
    virtual QString RowText(int /*row*/) const { return {}; }
    virtual int FactsVersion() const = 0;
    // Where the table's widget starts on screen.
    virtual QPoint Origin() const = 0;

    QAccessibleInterface* Child(int index) const;
    int ChildCount() const { return Columns() * (Rows() + 1); }
    int IndexOfChild(const QAccessibleInterface* child) const;
    QAccessibleInterface* ChildAt(int x, int y) const;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override { return static_cast<int>(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override { return Cell(-1, column).name; }
    QString rowDescription(int row) const override { return RowText(row); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return Columns(); }
    int rowCount() const override { return Rows(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override { cells_.Clear(); }

private:
    mutable ChildCache cells_;
};

}  // namespace quimbaro
