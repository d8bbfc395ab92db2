#pragma once
// Appointments printed as rows, the same for every subcommand that lists
// them: text for people, tab-separated values or JSON for other programs.

#include <QCommandLineParser>
#include <QString>
#include <QTextStream>

#include <optional>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "book/day_rows.h"

namespace quimbaro::cli {

enum class Format { Text, Tsv, Json };

// The --format option of every subcommand that prints rows.
void AddFormatOption(QCommandLineParser& parser);
// The format --format names: "text", "tsv" or "json"; nothing for anything else.
std::optional<Format> FormatGiven(const QCommandLineParser& parser);
inline constexpr char kFormatUsageText[] = "--format espera text, tsv o json";

// A row found outside a day's table, such as a search's.
struct FoundRow {
    Appointment record;
    std::string repetition;  // the series' name; empty for a single appointment
};

// Date, time, phone, name and subject of each row, then (tsv and json) the
// series it comes from ("repeticion"), as PrintDays gives it; a header line
// first in tsv, one array in json.
void Print(const std::vector<FoundRow>& rows, Format format, QTextStream& out);

// The days' rows. Text: each day under its date in words, one line per row
// with its number and the columns aligned (day_text.h). Tsv and json: the
// fields of Print, then the row number ("fila"), the ISO date ("fecha_iso")
// and the series an occurrence comes from ("repeticion", empty for a single
// appointment).
void PrintDays(const std::vector<DayRows>& days, Format format, QTextStream& out);

// A field as text; control characters, which the entry cannot type, become
// spaces so that they cannot break a line of text or tsv.
QString PlainField(const std::string& bytes);

}  // namespace quimbaro::cli
