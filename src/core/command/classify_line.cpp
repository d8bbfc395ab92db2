#include "command/classify_line.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "command/series_line.h"
#include "settings/settings.h"
#include "text/win1252.h"

namespace quimbaro {

namespace {

constexpr char kSeparator = '|';

// The command words, in the order the console tests them.
LineAction CommandWord(std::string_view line) {
    static const std::pair<std::string_view, LineAction> kWords[] = {
        {"salir", LineAction::Exit},           {"autor", LineAction::Author},
        {"ascendente", LineAction::Ascending}, {"descendente", LineAction::Descending},
        {"ayer", LineAction::Yesterday},       {"ma\xF1" "ana", LineAction::Tomorrow},
        {"hoy", LineAction::Today},            {"siguiente", LineAction::NextMatch},
        {"anterior", LineAction::PreviousMatch}, {"deshacer", LineAction::Undo},
        {"exportar", LineAction::Export},      {"sincronizar", LineAction::Sync},
        {"semana", LineAction::ShowWeek},      {"semana siguiente", LineAction::NextWeek},
        {"siguiente semana", LineAction::NextWeek}, {"semana anterior", LineAction::PreviousWeek},
        {"imprimir", LineAction::Print},
    };
    const std::string lower = LowerWin1252(line);
    for (const auto& [word, action] : kWords) {
        if (lower == word) return action;
    }
    return LineAction::Nothing;
}

// The five pieces between the four separators, exactly as typed.
std::array<std::string, 5> SplitFields(std::string_view line) {
    std::array<std::string, 5> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t end = i + 1 < fields.size() ? line.find(kSeparator, start) : line.size();
        fields[i] = std::string(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

// "buscar" in any capitals, then nothing or one space and the text.
std::optional<std::string> SearchQuery(std::string_view line) {
    constexpr std::string_view kWord = "buscar";
    if (LowerWin1252(line.substr(0, kWord.size())) != kWord) return std::nullopt;
    if (line.size() > kWord.size() && line[kWord.size()] != ' ') return std::nullopt;
    std::string_view text = line.substr(std::min(line.size(), kWord.size() + 1));
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

// Up to nine digits and nothing else; 0 otherwise.
int RowNumber(std::string_view text) {
    const bool digits = !text.empty() && text.size() <= 9 &&
                        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    return digits ? std::stoi(std::string(text)) : 0;
}

// "borrar" or "editar", alone or followed by one space and the row number.
std::optional<ClassifiedLine> RowCommand(std::string_view line) {
    static const std::pair<std::string_view, LineAction> kRowWords[] = {
        {"borrar", LineAction::Delete}, {"editar", LineAction::Edit}};
    const std::string lower = LowerWin1252(line);
    for (const auto& [word, action] : kRowWords) {
        ClassifiedLine result{action};
        if (lower == word) return result;
        if (lower.starts_with(word) && lower[word.size()] == ' ') {
            result.row = RowNumber(line.substr(word.size() + 1));
            return result;
        }
    }
    return std::nullopt;
}

ClassifiedLine AppointmentLine(std::string_view line) {
    const auto f = SplitFields(line);
    // A date that is no DayKey would be stored where no day ever shows it.
    if (!ParseDayKey(f[0])) return {.action = LineAction::BadEntry};
    return {.action = LineAction::Append, .appointment = MakeAppointment(f[0], f[1], f[2], f[3], f[4])};
}

// "aviso", one space and one to four digits giving at most 1440.
ClassifiedLine ReminderLine(std::string_view lower) {
    constexpr std::string_view kWord = "aviso ";
    const std::string_view number = lower.substr(std::min(lower.size(), kWord.size()));
    const bool digits = !number.empty() && number.size() <= 4 &&
                        std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int minutes = digits ? std::stoi(std::string(number)) : -1;
    if (!lower.starts_with(kWord) || minutes < 0 || minutes > kMaxReminderMinutes)
        return {.action = LineAction::BadReminder};
    ClassifiedLine result{.action = LineAction::SetReminder};
    result.minutes = minutes;
    return result;
}

}  // namespace

ClassifiedLine ClassifyLine(std::string_view line) {
    if (const LineAction word = CommandWord(line); word != LineAction::Nothing) return {.action = word};
    if (auto query = SearchQuery(line)) return {.action = LineAction::Search, .query = std::move(*query)};
    if (const auto date = ParseDayKey(line)) return {.action = LineAction::ShowDate, .date = *date};
    if (LowerWin1252(line) == "color") return {.action = LineAction::ChooseColour};
    if (auto series = SeriesLine(line)) return std::move(*series);
    if (auto command = SeriesRowCommand(line)) return *command;
    if (const auto command = RowCommand(line)) return *command;
    const auto separators = std::count(line.begin(), line.end(), kSeparator);
    if (separators == 4) return AppointmentLine(line);
    if (separators > 0) return {.action = LineAction::BadEntry};
    const std::string lower = LowerWin1252(line);
    if (lower == "aviso" || lower.starts_with("aviso ")) return ReminderLine(lower);
    return {};
}

}  // namespace quimbaro
