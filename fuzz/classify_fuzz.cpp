// The console's line classifier on arbitrary bytes: whatever action it returns
// must agree with the line itself, and a line no test claims must match none.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "command/classify_line.h"
#include "book/appointment.h"
#include "text/win1252.h"
#include "calendar/dates.h"
#include "fuzz_folder.h"
#include "search/folding.h"

namespace {

using namespace quimbaro;

struct Word {
    std::string_view text;
    LineAction action;
};

// "mañana" in Windows-1252.
constexpr std::array<Word, 18> kWords{{{"salir", LineAction::Exit},
                                      {"autor", LineAction::Author},
                                      {"ascendente", LineAction::Ascending},
                                      {"descendente", LineAction::Descending},
                                      {"ayer", LineAction::Yesterday},
                                      {"ma\xF1" "ana", LineAction::Tomorrow},
                                      {"hoy", LineAction::Today},
                                      {"color", LineAction::ChooseColour},
                                      {"siguiente", LineAction::NextMatch},
                                      {"anterior", LineAction::PreviousMatch},
                                      {"deshacer", LineAction::Undo},
                                      {"exportar", LineAction::Export},
                                      {"sincronizar", LineAction::Sync},
                                      {"semana", LineAction::ShowWeek},
                                      {"semana siguiente", LineAction::NextWeek},
                                      {"siguiente semana", LineAction::NextWeek},
                                      {"semana anterior", LineAction::PreviousWeek},
                                      {"imprimir", LineAction::Print}}};

std::optional<LineAction> WordAction(std::string_view line) {
    const std::string lowered = LowerWin1252(line);
    for (const Word& word : kWords)
        if (lowered == word.text) return word.action;
    return std::nullopt;
}

// "buscar" (any capitals) alone or with a space: the text after it, trimmed.
std::optional<std::string> SearchText(std::string_view line) {
    if (LowerWin1252(line.substr(0, 6)) != "buscar" || (line.size() > 6 && line[6] != ' '))
        return std::nullopt;
    std::string text(line.substr(std::min<std::size_t>(line.size(), 7)));
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// "aviso", a space and up to four digits worth at most 1440.
std::optional<int> ReminderMinutes(std::string_view lowered) {
    if (!lowered.starts_with("aviso ")) return std::nullopt;
    const std::string_view digits = lowered.substr(6);
    if (digits.empty() || digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const int minutes = std::stoi(std::string(digits));
    return minutes <= 1440 ? std::optional(minutes) : std::nullopt;
}

// "borrar" or "editar" (any capitals), alone or followed by a space.
bool IsRowWord(std::string_view line) {
    const std::string word = LowerWin1252(line.substr(0, 6));
    return (word == "borrar" || word == "editar") && (line.size() == 6 || line[6] == ' ');
}

// The row is the rest after the space when that is one to nine digits, else 0.
void CheckRowWord(std::string_view line, const ClassifiedLine& result) {
    FUZZ_CHECK(IsRowWord(line));
    FUZZ_CHECK(LowerWin1252(line.substr(0, 6)) == (result.action == LineAction::Delete ? "borrar" : "editar"));
    const std::string_view rest = line.substr(std::min<std::size_t>(line.size(), 7));
    const bool digits = !rest.empty() && rest.size() <= 9 && rest.find_first_not_of("0123456789") == std::string_view::npos;
    FUZZ_CHECK(result.row == (digits ? std::stoi(std::string(rest)) : 0));
}

std::string_view FirstField(std::string_view line) { return line.substr(0, line.find('|')); }

// The five pieces between the four separators.
std::array<std::string, 5> Split(std::string_view line) {
    std::array<std::string, 5> fields;
    for (std::size_t i = 0, start = 0; i < fields.size(); ++i) {
        const std::size_t end = i + 1 < fields.size() ? line.find('|', start) : line.size();
        fields[i] = std::string(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

// What storing a field keeps: up to the first zero byte, at most width - 1.
std::string Kept(std::string_view text, std::size_t width) {
    return std::string(text.substr(0, std::min(text.find('\0'), width - 1)));
}

void CheckAppend(std::string_view line, const ClassifiedLine& result) {
    const auto f = Split(line);
    FUZZ_CHECK(ParseDayKey(f[0]).has_value());
    const Appointment& record = result.appointment;
    FUZZ_CHECK(ReadField(record.date) == Kept(f[0], sizeof record.date));
    FUZZ_CHECK(ReadField(record.time) == Kept(f[1], sizeof record.time));
    FUZZ_CHECK(ReadField(record.phone) == Kept(f[2], sizeof record.phone));
    FUZZ_CHECK(ReadField(record.name) == Kept(f[3], sizeof record.name));
    FUZZ_CHECK(ReadField(record.subject) == Kept(f[4], sizeof record.subject));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const ClassifiedLine result = ClassifyLine(line);
    const auto separators = std::count(line.begin(), line.end(), '|');
    const auto word = WordAction(line);
    const auto date = ParseDayKey(line);
    const std::string lowered = LowerWin1252(line);
    const bool reminderWord = separators == 0 && (lowered == "aviso" || lowered.starts_with("aviso "));
    const auto search = SearchText(line);
    FUZZ_CHECK(!search || word || result.action == LineAction::Search);
    if (result.action == LineAction::Nothing || result.action == LineAction::BadEntry) FUZZ_CHECK(!IsRowWord(line));

    switch (result.action) {
    case LineAction::Search:
        FUZZ_CHECK(!word && search && *search == result.query);
        break;
    case LineAction::Append:
        FUZZ_CHECK(!word && !date && !search && separators == 4);
        CheckAppend(line, result);
        break;
    case LineAction::ShowDate:
        FUZZ_CHECK(!word && date && *date == result.date);
        break;
    case LineAction::BadEntry:
        FUZZ_CHECK(!word && !date && separators >= 1);
        FUZZ_CHECK(separators != 4 || !ParseDayKey(FirstField(line)));
        break;
    case LineAction::SetReminder:
        FUZZ_CHECK(reminderWord && ReminderMinutes(lowered) == result.minutes);
        break;
    case LineAction::BadReminder:
        FUZZ_CHECK(reminderWord && !ReminderMinutes(lowered));
        break;
    case LineAction::Nothing:
        FUZZ_CHECK(!word && !date && separators == 0 && !reminderWord);
        break;
    case LineAction::Delete:
    case LineAction::Edit:
        FUZZ_CHECK(!word && !date);
        CheckRowWord(line, result);
        break;
    case LineAction::AppendSeries:
    case LineAction::BadSeries:  // checked by seriesline_fuzz
        FUZZ_CHECK(FoldText(line.substr(0, line.find(' '))) == "cada");
        break;
    case LineAction::DeleteSeries:
    case LineAction::EditSeries:
        FUZZ_CHECK(FoldText(line.substr(0, 12)) == (result.action == LineAction::DeleteSeries ? "borrar serie" : "editar serie"));
        break;
    default:
        FUZZ_CHECK(word && *word == result.action);
        break;
    }
    return 0;
}
