#include "command/series_line.h"

#include <algorithm>
#include <utility>

#include "search/folding.h"

namespace quimbaro {

namespace {

// The next word up to one space, taken off the text.
std::string_view TakeWord(std::string_view& text) {
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(std::min(text.size(), end + 1));
    return word;
}

// 1..max from one to four digits; 0 otherwise.
int Number(std::string_view word, int max) {
    if (word.empty() || word.size() > 4 || !std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    const int n = std::stoi(std::string(word));
    return n <= max ? n : 0;
}

std::optional<Frequency> Unit(std::string_view folded) {
    static const std::pair<std::string_view, Frequency> kUnits[] = {
        {"dia", Frequency::Daily},     {"dias", Frequency::Daily},     {"semana", Frequency::Weekly},
        {"semanas", Frequency::Weekly}, {"mes", Frequency::Monthly},   {"meses", Frequency::Monthly},
        {"ano", Frequency::Yearly},    {"anos", Frequency::Yearly},
    };
    for (const auto& [word, frequency] : kUnits)
        if (folded == word) return frequency;
    return std::nullopt;
}

// The end: "hasta DD/MM/AAAA" or "N veces"; the text is left after it. False
// for a malformed one; true, untouched, when none is there.
bool TakeEnd(std::string_view& text, Repetition& repetition) {
    std::string_view rest = text;
    const std::string word = FoldText(TakeWord(rest));
    if (word == "hasta") {
        repetition.until = ParseDayKey(TakeWord(rest));
        text = rest;
        return repetition.until.has_value();
    }
    const int count = Number(word, kMaxCount);
    if (count == 0 || FoldText(TakeWord(rest)) != "veces") return count == 0;
    repetition.count = count;
    text = rest;
    return true;
}

bool RealDay(const std::optional<CalendarDate>& day) {
    return day && day->year >= 1 && day->month >= 1 && day->day >= 1 && day->day <= DaysInMonth(day->month, day->year);
}

ClassifiedLine Bad() { return {.action = LineAction::BadSeries}; }

}  // namespace

std::optional<ClassifiedLine> SeriesLine(std::string_view line) {
    std::string_view text = line;
    if (FoldText(TakeWord(text)) != "cada") return std::nullopt;
    Repetition repetition;
    std::string_view word = TakeWord(text);
    if (const int interval = Number(word, kMaxInterval); interval > 0) {
        repetition.interval = interval;
        word = TakeWord(text);
    }
    const auto unit = Unit(FoldText(word));
    if (!unit || !TakeEnd(text, repetition)) return Bad();
    repetition.frequency = *unit;
    const ClassifiedLine appointment = ClassifyLine(text);
    if (appointment.action != LineAction::Append) return Bad();
    const auto first = ParseDayKey(ReadField(appointment.appointment.date));
    if (!RealDay(first) || (repetition.until && (!RealDay(repetition.until) || *repetition.until < *first)))
        return Bad();
    ClassifiedLine result{.action = LineAction::AppendSeries, .appointment = appointment.appointment};
    result.repetition = repetition;
    return result;
}

std::optional<ClassifiedLine> SeriesRowCommand(std::string_view line) {
    static const std::pair<std::string_view, LineAction> kWords[] = {
        {"borrar serie", LineAction::DeleteSeries}, {"editar serie", LineAction::EditSeries}};
    const std::string folded = FoldText(line);
    for (const auto& [words, action] : kWords) {
        ClassifiedLine result{action};
        if (folded == words) return result;
        if (!folded.starts_with(words) || folded[words.size()] != ' ') continue;
        const std::string_view number = line.substr(words.size() + 1);
        result.row = Number(number, 9999);
        return result;
    }
    return std::nullopt;
}

}  // namespace quimbaro
