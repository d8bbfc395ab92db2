#include "repeat/series_change.h"

#include <libical/ical.h>

#include <algorithm>

#include "repeat/occurrences.h"
#include "repeat/rules_file.h"

namespace quimbaro {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSeriesGone = "la serie ya no tiene esa cita (otra copia del programa la cambió)";

std::vector<Series>::iterator Find(std::vector<Series>& all, const std::string& uid) {
    return std::find_if(all.begin(), all.end(), [&uid](const Series& one) { return one.uid == uid; });
}

// The series holding the row's day, or why there is none.
std::string Holding(std::vector<Series>& all, const OccurrenceRow& row, std::vector<Series>::iterator& found) {
    found = Find(all, row.uid);
    return found != all.end() && OccursOn(*found, row.day) ? "" : kSeriesGone;
}

// The rule's text with its end moved to last and no count.
std::string EndedRule(const std::string& text, const CalendarDate& last) {
    icalrecurrencetype rule = icalrecurrencetype_from_string(text.c_str());
    rule.count = 0;
    rule.until = IcalDate(last);
    const char* ended = icalrecurrencetype_as_string(&rule);
    return ended ? ended : text;
}

// The rule for a series going on from day: a count less the occurrences before it.
std::string RuleFrom(const Series& series, const CalendarDate& day) {
    icalrecurrencetype rule = icalrecurrencetype_from_string(series.rule.c_str());
    if (rule.count == 0) return series.rule;
    Series unexcluded = series;
    unexcluded.excluded.clear();
    const auto before = DaysAfter(day, -1);
    const int earlier = before ? int(OccurrencesIn(unexcluded, *FirstDay(series), *before).days.size()) : 0;
    rule.count = std::max(1, rule.count - earlier);
    const char* text = icalrecurrencetype_as_string(&rule);
    return text ? text : series.rule;
}

// Ends found before day: removed when no day of it comes earlier.
void EndBefore(std::vector<Series>& all, std::vector<Series>::iterator found, const CalendarDate& day) {
    const auto last = DaysAfter(day, -1);
    if (!last || !(*FirstDay(*found) < day)) {
        all.erase(found);
        return;
    }
    found->rule = EndedRule(found->rule, *last);
    std::erase_if(found->excluded, [&day](const CalendarDate& d) { return !(d < day); });
}

// Runs the edit on the file, noting first how the series it names were.
SeriesChange ChangeSeries(const fs::path& folder, const std::vector<std::string>& uids,
                    const std::function<std::string(std::vector<Series>&, std::string& name)>& edit) {
    SeriesChange change;
    SeriesUndo undo;
    change.error = ChangeRules(folder, [&](std::vector<Series>& all) {
        for (const std::string& uid : uids) {
            const auto found = Find(all, uid);
            undo.states.push_back({uid, found == all.end() ? std::nullopt : std::optional(*found)});
        }
        return edit(all, undo.name);
    });
    if (change.Done()) change.undo = std::move(undo);
    return change;
}

std::string Day(const CalendarDate& day) { return DayKey(day); }

}  // namespace

SeriesChange AddSeries(const fs::path& folder, const Appointment& first, const Repetition& repetition) {
    Series series{NewSeriesUid(), first, RuleText(repetition), {}};
    const auto day = FirstDay(series);
    if (!day) return {"la fecha no es un día del calendario", "", std::nullopt};
    SeriesChange change = ChangeSeries(folder, {series.uid}, [&series](std::vector<Series>& all, std::string& name) {
        name = SeriesName(series.rule);
        all.push_back(series);
        return std::string();
    });
    if (change.Done()) change.done = "Se guardó la serie " + SeriesName(series.rule) + " que empieza el " + Day(*day) + ".";
    return change;
}

SeriesChange SkipOccurrence(const fs::path& folder, const OccurrenceRow& row) {
    SeriesChange change = ChangeSeries(folder, {row.uid}, [&row](std::vector<Series>& all, std::string& name) {
        std::vector<Series>::iterator found;
        if (std::string gone = Holding(all, row, found); !gone.empty()) return gone;
        name = SeriesName(found->rule);
        found->excluded.insert(std::upper_bound(found->excluded.begin(), found->excluded.end(), row.day), row.day);
        return std::string();
    });
    if (change.Done()) change.done = "Se borró la cita del " + Day(row.day) + " de la serie " + change.undo->name + ".";
    return change;
}

SeriesChange EndSeriesBefore(const fs::path& folder, const OccurrenceRow& row) {
    SeriesChange change = ChangeSeries(folder, {row.uid}, [&row](std::vector<Series>& all, std::string& name) {
        std::vector<Series>::iterator found;
        if (std::string gone = Holding(all, row, found); !gone.empty()) return gone;
        name = SeriesName(found->rule);
        EndBefore(all, found, row.day);
        return std::string();
    });
    if (change.Done())
        change.done = "Se terminó la serie " + change.undo->name + ": ya no tiene citas desde el " + Day(row.day) + ".";
    return change;
}

SeriesChange DetachOccurrence(const fs::path& folder, const OccurrenceRow& row, const Appointment& replacement) {
    StoredRecord added;
    const StoreResult stored = AddRecord(folder, replacement, added);
    if (!stored.Stored()) return {stored.Reason(), "", std::nullopt};
    SeriesChange change = SkipOccurrence(folder, row);
    if (!change.Done()) {
        DeleteRecord(folder, added);  // the single appointment would double the occurrence
        return change;
    }
    change.undo->added = added;
    change.done = "La cita del " + Day(row.day) + " ya no es de la serie " + change.undo->name + ": se guardó aparte.";
    return change;
}

SeriesChange SplitSeries(const fs::path& folder, const OccurrenceRow& row, const Appointment& replacement) {
    const std::string uid = NewSeriesUid();
    const auto newFirst = ParseDayKey(ReadField(replacement.date));
    SeriesChange change = ChangeSeries(folder, {row.uid, uid}, [&](std::vector<Series>& all, std::string& name) {
        std::vector<Series>::iterator found;
        if (std::string gone = Holding(all, row, found); !gone.empty()) return gone;
        name = SeriesName(found->rule);
        Series next{uid, replacement, RuleFrom(*found, row.day), {}};
        if (!FirstDay(next)) return std::string("la fecha no es un día del calendario");
        for (const CalendarDate& skipped : found->excluded)
            if (!(skipped < *newFirst)) next.excluded.push_back(skipped);
        EndBefore(all, found, row.day);
        all.push_back(std::move(next));
        return std::string();
    });
    if (change.Done()) change.done = "Se cambió la serie " + change.undo->name + " desde el " + Day(row.day) + ".";
    return change;
}

std::string UndoSeriesChange(const fs::path& folder, const SeriesUndo& undo) {
    const std::string error = ChangeRules(folder, [&undo](std::vector<Series>& all) {
        for (const SeriesState& state : undo.states) {
            const auto found = Find(all, state.uid);
            if (found != all.end()) all.erase(found);
            if (state.before) all.push_back(*state.before);
        }
        return std::string();
    });
    if (!error.empty() || !undo.added) return error;
    const StoreResult removed = DeleteRecord(folder, *undo.added);
    return removed.Stored() ? "" : removed.Reason();
}

}  // namespace quimbaro
