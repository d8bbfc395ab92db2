#include "views/table_view.h"

#include <algorithm>
#include <string>
#include <vector>

#include "book/phone_groups.h"
#include "command/row_commands.h"
#include "text/win1252.h"
#include "settings/settings.h"

namespace quimbaro {

namespace {

constexpr int kTableColumns = 4;
constexpr int kRowHeight = 22;
constexpr int kSpacing = 2;
constexpr int kMaxLines = 100;
constexpr int kRowNumberPoints = 7;
constexpr int kRowNumberMargin = 2;

struct ColumnLayout {
    const char* header;  // UTF-8
    int32_t left, right;
    Alignment alignment;
};

constexpr ColumnLayout kColumns[kTableColumns] = {
    {"Hora", 1, 50, Alignment::Centre},
    {"Teléfono", 51, 141, Alignment::Centre},
    {"Nombre", 142, 542, Alignment::Left},
    {"Asunto", 543, 1146, Alignment::Left},
};

void SetCell(TableCell& cell, int column, int row, Colour back, const QString& text) {
    const ColumnLayout& layout = kColumns[column];
    cell = TableCell{};
    cell.left = layout.left;
    cell.right = layout.right;
    cell.top = row == 0 ? 1 : kRowHeight * row + 1;
    cell.bottom = row == 0 ? 22 : cell.top + kRowHeight;
    cell.column = static_cast<int16_t>(column);
    cell.row = static_cast<int16_t>(row);
    cell.backColour = back;
    cell.textColour = kBlack;
    cell.fontFace = QStringLiteral("Tahoma");
    cell.fontSize = 9;
    cell.bold = 1;
    cell.text = text;
    cell.alignment = row == 0 ? Alignment::Centre : layout.alignment;
}

QString TrimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == u' ')
        ++first;
    while (end > first && text[end - 1] == u' ')
        --end;
    return text.mid(first, end - first);
}

QString TrimLeadingSpaces(const QString& text) {
    qsizetype first = 0;
    while (first < text.size() && text[first] == u' ')
        ++first;
    return text.mid(first);
}

// Splits once, then splits again only a line that has more characters than
// the line above it; a shorter one is taken to fit without measuring. Lines
// after the last one returned are empty. Breaking stops once the lines that
// can still show (the first `shown`) are final: later splits only change
// lines below the picture.
std::vector<QString> BreakLines(const Surface& surface, const QString& text, int width, int shown) {
    const int limit = std::min(kMaxLines, shown);
    std::vector<QString> lines;
    auto [head, tail] = surface.SplitToWidth(text, width);
    lines.push_back(std::move(head));
    lines.push_back(std::move(tail));
    while (static_cast<int>(lines.size()) < kMaxLines && static_cast<int>(lines.size()) <= limit &&
           lines.back().size() > lines[lines.size() - 2].size()) {
        auto [fits, rest] = surface.SplitToWidth(lines.back(), width);
        lines.back() = TrimLeadingSpaces(fits);
        lines.push_back(TrimLeadingSpaces(rest));
    }
    return lines;
}

int StyleBits(const TableCell& cell) {
    return (cell.bold != 0 ? kBold : 0) | (cell.italic != 0 ? kItalic : 0) |
           (cell.underline != 0 ? kUnderline : 0) | (cell.strikeout != 0 ? kStrikeOut : 0);
}

// How many lines starting at y0 begin above the bottom of the picture.
int LinesShown(int y0, int lineHeight, int pictureHeight) {
    if (y0 >= pictureHeight) return 0;
    if (lineHeight <= 0) return kMaxLines;
    return (pictureHeight - y0 + lineHeight - 1) / lineHeight;
}

// Line k (from 0) sits k line heights below y0, where printing the lines
// above it leaves the position; empty lines draw nothing, so they are skipped.
void PrintLines(Surface& surface, const std::vector<QString>& lines, const TableCell& cell, int x0,
                int y0, int lineHeight, int shown) {
    const int width = cell.right - cell.left - 1;
    const int count = std::min<int>(shown, static_cast<int>(lines.size()));
    for (int k = 0; k < count; ++k) {
        const QString& line = lines[k];
        const int y = y0 + k * lineHeight;
        if (!line.isEmpty()) {
            const double x = cell.alignment == Alignment::Centre
                                 ? x0 + (width - surface.TextSize(line).width()) / 2.0
                                 : x0;
            surface.SetPosition(x, y);  // halves go to the even pixel
            surface.PrintLine(line);
        }
    }
}

// The cell's text from (x0, y0) in the cell's font, broken into lines.
void PaintCellText(Surface& surface, const TableCell& cell, const QString& text, int x0, int y0,
                   int pictureHeight) {
    // NewFont trims the face itself.
    const Font* font = surface.NewFont(cell.fontFace, cell.fontSize, StyleBits(cell), kAnsiCharset);
    surface.SelectFont(font);
    surface.SetColours(cell.textColour, kTransparent);
    const int width = cell.right - cell.left - 1;
    if (cell.alignment == Alignment::Centre) {
        // The width centring needs also tells whether the text fits whole, the
        // first thing splitting would measure.
        const int textWidth = surface.TextSize(text).width();
        if (textWidth <= width) {
            surface.SetPosition(x0 + (width - textWidth) / 2.0, y0);
            surface.PrintLine(text);
            return;
        }
    }
    const int shown = LinesShown(y0, font->LineHeight(), pictureHeight);
    const auto lines = BreakLines(surface, text, width, shown);
    PrintLines(surface, lines, cell, x0, y0, font->LineHeight(), shown);
}

// On the cell's own colour, so that a long text running under the number
// cannot make it unreadable.
// The mark's box ends a margin left of the number's own box.
QRect MarkBox(int numberLeft, int y1) {
    const int right = numberLeft - 2 * kRowNumberMargin;
    const int top = y1 + (kRowHeight - kRepeatMarkSize) / 2;
    return QRect(QPoint(right - kRepeatMarkSize, top), QPoint(right - 1, top + kRepeatMarkSize - 1));
}

void PaintRowNumber(Surface& surface, const TableCell& cell, int x2, int y1) {
    const Font* font = surface.NewFont(cell.fontFace, kRowNumberPoints, 0, kAnsiCharset);
    surface.SelectFont(font);
    const QString number = QString::number(cell.rowNumber);
    const int left = x2 - 1 - kRowNumberMargin - surface.TextSize(number).width();
    const QRect mark = MarkBox(left, y1);
    const int clearFrom = cell.repeating ? mark.left() - kRowNumberMargin : left - kRowNumberMargin;
    surface.DrawBox(clearFrom, y1 + 1, x2 - 1, y1 + kRowHeight - 1, cell.backColour, cell.backColour);
    if (cell.repeating)
        surface.DrawBox(mark.left(), mark.top(), mark.right() + 1, mark.bottom() + 1, kRowNumberColour, cell.backColour);
    surface.SetColours(kRowNumberColour, kTransparent);
    surface.SetPosition(left, y1 + (kRowHeight - font->LineHeight()) / 2);
    surface.PrintLine(number);
}

void PaintCell(Surface& surface, const TableCell& cell, int column, int row, int32_t originX,
               int32_t originY, Colour outline, int pictureHeight) {
    const int x1 = cell.left + kSpacing * column + originX;
    const int y1 = cell.top + kSpacing * row + originY;
    const int x2 = cell.right + kSpacing * column + originX;
    const int y2 = cell.bottom + kSpacing * row + originY;
    surface.DrawBox(x1, y1, x2, y2, outline, cell.backColour);
    // An empty text, or one that starts below the picture, shows nothing.
    const QString text = TrimSpaces(cell.text);
    if (!text.isEmpty() && y1 + 1 < pictureHeight)
        PaintCellText(surface, cell, text, x1 + 1, y1 + 1, pictureHeight);
    if (cell.rowNumber > 0) PaintRowNumber(surface, cell, x2, y1);
}

void PaintRows(Surface& surface, Picture& picture, const TableGrid& grid, int columns, int firstRow,
               int rows, int32_t originX, int32_t originY, Colour outline) {
    // The grid has no cells beyond kGridSize; a larger count paints what exists.
    const int lastColumn = std::clamp(columns, 0, kGridSize);
    const int lastRow = std::clamp(rows, 0, kGridSize);
    surface.SelectTarget(picture);
    surface.SetPenWidth(1);
    const int height = picture.image.height();
    for (int row = std::max(firstRow, 0); row < lastRow; ++row) {
        for (int column = 0; column < lastColumn; ++column) {
            PaintCell(surface, grid.At(column, row), column, row, originX, originY, outline,
                      height);
        }
    }
}

}  // namespace

QString ShownFieldText(const Appointment& appointment, int column) {
    switch (column) {
        case 0: return FromWin1252(ReadField(appointment.time));
        case 1: return FromWin1252(GroupPhone(ReadField(appointment.phone)));
        case 2: return FromWin1252(ReadField(appointment.name));
        default: return FromWin1252(ReadField(appointment.subject));
    }
}

QString ColumnHeader(int column) { return QString::fromUtf8(kColumns[column].header); }

QRect CellBox(int column, int row) {
    TableCell cell;
    SetCell(cell, column, row, kWhite, {});
    return QRect(QPoint(cell.left + kSpacing * column + kTableOriginX, cell.top + kSpacing * row + kTableOriginY),
                 QPoint(cell.right + kSpacing * column + kTableOriginX, cell.bottom + kSpacing * row + kTableOriginY));
}

void ClearTablePicture(Surface& surface, Picture& table) {
    surface.SelectTarget(table);
    surface.ClearTarget(kBlack);
}

void BuildTableCells(TableGrid& grid, const DayList& list, Colour userColour,
                     const MatchedRows& matched, const MatchedRows& repeating) {
    const Colour header = ShownUserColour(userColour);
    for (int column = 0; column < kTableColumns; ++column) {
        SetCell(grid.At(column, 0), column, 0, header, ColumnHeader(column));
    }
    for (int row = 1; row <= kDaySlots; ++row) {
        const Appointment& appointment = list.slots[row - 1];
        const Colour fill = matched.test(static_cast<std::size_t>(row - 1)) ? kMatchRowFill : kWhite;
        for (int column = 0; column < kTableColumns; ++column) {
            SetCell(grid.At(column, row), column, row, fill, ShownFieldText(appointment, column));
        }
        if (row > RowsShown(list)) continue;
        grid.At(kTableColumns - 1, row).rowNumber = static_cast<int16_t>(row);
        grid.At(kTableColumns - 1, row).repeating = repeating.test(static_cast<std::size_t>(row - 1));
    }
}

void PaintTable(Surface& surface, Picture& table, const TableGrid& grid, int16_t columns,
                int16_t rows, int32_t originX, int32_t originY, Colour outline) {
    PaintRows(surface, table, grid, columns, 0, rows, originX, originY, outline);
}

// Above row 29's top a painting of 30 rows is the painting of 29: what runs
// below a cell there is black text on black or covered by row 29's boxes. So
// the table picture is copied, only what it does not cover is cleared, and
// only row 29 is painted.
void PaintTableCanvas(Surface& surface, Picture& canvas, const Picture& table,
                      const TableGrid& grid) {
    const QSize covered = table.image.size();
    const QSize whole = canvas.image.size();
    surface.SelectTarget(canvas);
    surface.DrawBox(0, covered.height(), whole.width(), whole.height(), kBlack, kBlack);
    surface.DrawBox(covered.width(), 0, whole.width(), covered.height(), kBlack, kBlack);
    surface.CopyPicture(table, 0, 0);
    PaintRows(surface, canvas, grid, kTableColumns, kDaySlots, kDaySlots + 1, kTableOriginX,
              kTableOriginY, kOutlineSilver);
}

}  // namespace quimbaro
