#pragma once
// Record fields (Windows-1252 bytes) as iCalendar text, both ways.

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quimbaro::ical {

// Printable ASCII without '%': the same bytes in Windows-1252, in UTF-8 and
// as an encoded field.
bool IsPlainAscii(std::string_view text);

// A field's exact bytes as UTF-8 for our own X- properties: '%' and the
// control characters, which iCalendar text cannot carry, and a space at
// either end, which readers drop, become %HH.
std::string EncodeField(std::string_view win1252);
void AppendEncodedField(std::string& out, std::string_view win1252);
// The bytes EncodeField was given, or nothing when the text could not have
// come from it (a character outside Windows-1252, a broken %HH).
std::optional<std::string> DecodeField(std::string_view utf8);

// What fitting outside text into fields had to change, for the report.
struct TextFixes {
    int replaced = 0;  // characters with no Windows-1252 form, stored as '?'
    int controls = 0;  // line breaks and other control characters, stored as spaces
    int cut = 0;       // fields cut to their width
};

// Text from another program as a field of the given width (terminator
// included): Windows-1252 with '?' for what it cannot hold, control
// characters as spaces, cut to width - 1 bytes.
std::string FitField(const QString& text, std::size_t width, TextFixes& fixes);

// Field bytes as readable UTF-8 text: control characters become spaces.
std::string ReadableUtf8(std::string_view win1252);
void AppendReadableUtf8(std::string& out, std::string_view win1252);

}  // namespace quimbaro::ical
