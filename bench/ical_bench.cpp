// iCalendar export and import of a 100,000-record year file, each against
// libical doing its own part alone: serialising the same events already built
// in memory, and parsing the same file.
#include <benchmark/benchmark.h>
#include <libical/ical.h>

#include <QBuffer>
#include <memory>
#include <vector>

#include "bench_suite.h"
#include "bench_year_file.h"
#include "book/append_records.h"
#include "figures.h"
#include "ical/book_export.h"
#include "ical/book_import.h"
#include "ical/event_export.h"

namespace quimbaro::bench {
namespace {

constexpr double kTarget = 1.5;

struct IcalRig {
    std::filesystem::path book, target;
    std::vector<icalcomponent*> events;  // the book's events, built once
    std::string text;                    // the book's export
    ~IcalRig() {
        for (icalcomponent* event : events) icalcomponent_free(event);
    }
};

std::unique_ptr<IcalRig> MakeRig(const BenchData& data) {
    auto rig = std::make_unique<IcalRig>();
    const int64_t records = data.smoke ? 1000 : 100000;
    rig->book = data.folder / ("ical-" + SizeLabel(records));
    rig->target = data.folder / "ical-import";
    EnsureYearFile(rig->book, records, kBenchDayKey);
    std::vector<Appointment> book;
    ReadYearRecords(rig->book / "2026.log", book);
    const std::vector<std::string> uids = ical::StableUids(book);
    for (std::size_t i = 0; i < book.size(); ++i) rig->events.push_back(ical::AppointmentEvent(book[i], uids[i]));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ical::WriteCalendar(book, buffer);
    rig->text = buffer.data().toStdString();
    return rig;
}

void Export(benchmark::State& state, const IcalRig& rig) {
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!ical::ExportBook(rig.book, {}, buffer).Done()) state.SkipWithError("export failed");
        benchmark::DoNotOptimize(buffer.data().size());
    }
}

void SerialiseReference(benchmark::State& state, const IcalRig& rig) {
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        for (icalcomponent* event : rig.events) {
            char* text = icalcomponent_as_ical_string_r(event);
            buffer.write(text);
            free(text);
        }
        benchmark::DoNotOptimize(buffer.data().size());
    }
}

// Into an empty folder each time: every record is new, one write and one
// fsync for the year file.
void Import(benchmark::State& state, const IcalRig& rig) {
    const ical::ImportOptions options = ical::MakeImportOptions({kBenchYear, kBenchMonth, kBenchDay}, {});
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(rig.target);
        std::filesystem::create_directories(rig.target);
        state.ResumeTiming();
        const ical::ImportReport report = ical::ImportCalendarText(rig.target, rig.text, options);
        if (report.AnythingRefused()) state.SkipWithError("import refused events");
    }
}

void ParseReference(benchmark::State& state, const IcalRig& rig) {
    for (auto _ : state) {
        icalcomponent* root = icalparser_parse_string(rig.text.c_str());
        benchmark::DoNotOptimize(root);
        icalcomponent_free(root);
    }
}

}  // namespace

std::shared_ptr<void> RegisterIcal(const BenchData& data) {
    std::shared_ptr<IcalRig> rig = MakeRig(data);
    const auto add = [&](const char* name, void (*run)(benchmark::State&, const IcalRig&)) {
        benchmark::RegisterBenchmark(name, [rig, run](benchmark::State& state) { run(state, *rig); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(data.smoke ? 1 : 7);
    };
    add("ical_export", Export);
    add("ical_export_reference", SerialiseReference);
    add("ical_import", Import);
    add("ical_import_reference", ParseReference);
    return rig;
}

void ReportIcal(const Medians& medians) {
    const Timing exported = MedianOf(medians, "ical_export"), serialised = MedianOf(medians, "ical_export_reference");
    PrintTimeFigure("ical_export", "export of the year file", exported, "libical serialising the built events",
                    serialised);
    PrintRatio("ical_export", exported.cpu / serialised.cpu, kTarget);
    const Timing imported = MedianOf(medians, "ical_import"), parsed = MedianOf(medians, "ical_import_reference");
    PrintTimeFigure("ical_import", "import into an empty folder", imported, "libical parsing the file", parsed);
    PrintRatio("ical_import", imported.cpu / parsed.cpu, kTarget);
}

}  // namespace quimbaro::bench
