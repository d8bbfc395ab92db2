#pragma once
// The changes of a series the window and the command line make, each one
// written as a whole new rules file (rules_file.h), with the words that tell
// the user what was done and the step that undoes it.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "book/change_record.h"
#include "repeat/day_occurrences.h"
#include "repeat/series.h"

namespace quimbaro {

// A series as it was before a change; nothing when the change made it.
struct SeriesState {
    std::string uid;
    std::optional<Series> before;
};

// What undoes one change: the series put back as they were, then the
// record the change added (an occurrence made a single appointment) deleted.
struct SeriesUndo {
    std::vector<SeriesState> states;
    std::optional<StoredRecord> added;
    std::string name;  // the series' name, for the box
};

struct SeriesChange {
    std::string error;  // Spanish, empty when the change is on disk
    std::string done;   // what was done, in words, for the box
    std::optional<SeriesUndo> undo;
    bool Done() const { return error.empty(); }
};

// A new series whose first occurrence is first's date.
SeriesChange AddSeries(const std::filesystem::path& folder, const Appointment& first, const Repetition& repetition);
// "borrar N": the series skips that day.
SeriesChange SkipOccurrence(const std::filesystem::path& folder, const OccurrenceRow& row);
// "borrar serie N": the series ends the day before; a series ended before its
// first day is removed.
SeriesChange EndSeriesBefore(const std::filesystem::path& folder, const OccurrenceRow& row);
// "editar N": the replacement is stored as a single appointment, then the
// series skips that day (a kill in between leaves both, never neither).
SeriesChange DetachOccurrence(const std::filesystem::path& folder, const OccurrenceRow& row, const Appointment& replacement);
// "editar serie N": the series ends the day before and a new one with the
// replacement's fields goes on from the replacement's date with the same rule.
SeriesChange SplitSeries(const std::filesystem::path& folder, const OccurrenceRow& row, const Appointment& replacement);

// Empty once undone; else why not, in Spanish.
std::string UndoSeriesChange(const std::filesystem::path& folder, const SeriesUndo& undo);

}  // namespace quimbaro
