#pragma once
// The day's appointments as a four-column table painted into a picture.

#include <QRect>
#include <QString>
#include <array>
#include <bitset>
#include <cstdint>

#include "book/appointment.h"
#include "surface/surface.h"

namespace quimbaro {

enum class Alignment : int16_t { Left = 0, Centre = 1 };

struct TableCell {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int16_t column = 0, row = 0;
    Colour backColour = 0;
    Colour textColour = 0;
    QString fontFace;
    int16_t fontSize = 0;
    int32_t bold = 0, italic = 0, underline = 0, strikeout = 0;
    QString text;
    Alignment alignment = Alignment::Left;
    // When above 0, shown small and grey at the cell's right end: the number
    // by which the row commands name the row.
    int16_t rowNumber = 0;
    // With the row number: a small grey square before it marks an occurrence
    // of a series.
    bool repeating = false;
};

inline constexpr int kGridSize = 51;

// Cells addressed [column][row], columns and rows 0..50.
struct TableGrid {
    std::array<std::array<TableCell, kGridSize>, kGridSize> cells{};
    TableCell& At(int column, int row) { return cells[column][row]; }
    const TableCell& At(int column, int row) const { return cells[column][row]; }
};

inline constexpr Colour kOutlineSilver = 0xC0C0C0;
inline constexpr int32_t kTableOriginX = 3;
inline constexpr int32_t kTableOriginY = 1;
// The fill of a row that answers the search in force, as a highlighter would.
inline constexpr Colour kMatchRowFill = Rgb(255, 255, 150);
// Row numbers, and the square that marks an occurrence of a series.
inline constexpr Colour kRowNumberColour = Rgb(128, 128, 128);
inline constexpr int kRepeatMarkSize = 5;

// What column 0..3 shows of an appointment (the phone grouped as drawn),
// the header over the column, and a cell's box on the unscrolled picture
// (row 0 is the header): what the table says to a screen reader.
QString ShownFieldText(const Appointment& appointment, int column);
QString ColumnHeader(int column);
QRect CellBox(int column, int row);

void ClearTablePicture(Surface& surface, Picture& table);
// Header from userColour (a value that is no colour paints the default),
// rows 1..29 from the day list, each row holding an appointment numbered in
// its last cell, the matched ones in kMatchRowFill, the repeating ones
// marked by their number; draws nothing.
void BuildTableCells(TableGrid& grid, const DayList& list, Colour userColour,
                     const MatchedRows& matched = {}, const MatchedRows& repeating = {});
void PaintTable(Surface& surface, Picture& table, const TableGrid& grid, int16_t columns,
                int16_t rows, int32_t originX, int32_t originY, Colour outline);
// The whole day's table, header and rows 1..29, on a black canvas taller than
// the table picture: the same pixels as clearing it black and
// PaintTable(4, 30, kTableOriginX, kTableOriginY, kOutlineSilver), for about
// a third of the work. `table` must have just been painted from `grid` with
// PaintTable(4, 29, kTableOriginX, kTableOriginY, kOutlineSilver).
void PaintTableCanvas(Surface& surface, Picture& canvas, const Picture& table,
                      const TableGrid& grid);

}  // namespace quimbaro
