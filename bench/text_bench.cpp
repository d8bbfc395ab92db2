// The small pieces that run on every day change: comparing and sorting the
// day's times, and splitting texts to a width, at lengths far beyond any cell
// so that work growing faster than the text shows.
#include <benchmark/benchmark.h>

#include <QFontMetrics>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_suite.h"
#include "bench_year_file.h"
#include "book/appointment.h"
#include "book/collation.h"
#include "figures.h"
#include "surface/surface.h"

namespace quimbaro::bench {
namespace {

constexpr int kSplitLimit = 602;  // the subject column
constexpr int kSplitLengths[] = {100, 1000, 10000, 100000};
// Ten times the text may cost at most this many times the time: linear work
// gives about 10, quadratic about 100.
constexpr double kTenfoldGrowthTarget = 20.0;

// 29 distinct times in no particular order, as typed.
DayList UnsortedDay() {
    DayList list;
    for (int i = 0; i < kDaySlots; ++i) {
        const int minutes = (i * 617 + 131) % (24 * 60);
        char time[6];
        std::snprintf(time, sizeof time, "%02d:%02d", minutes / 60, minutes % 60);
        StoreField(list.slots[std::size_t(i)].time, time);
    }
    list.kept = kDaySlots;
    return list;
}

void CompareAllPairs(benchmark::State& state) {
    const DayList list = UnsortedDay();
    std::vector<std::string> times;
    for (const Appointment& slot : list.slots) times.push_back(ReadField(slot.time));
    for (auto _ : state) {
        int after = 0;
        for (const std::string& a : times)
            for (const std::string& b : times) after += CollateCompare(a, b);
        benchmark::DoNotOptimize(after);
    }
    state.counters["compares"] = double(times.size() * times.size());
}

void SortTheDay(benchmark::State& state) {
    const DayList unsorted = UnsortedDay();
    DayList list;
    for (auto _ : state) {
        list = unsorted;
        SortDay(list, kDaySlots, SortOrder::EarliestFirst);
        benchmark::DoNotOptimize(list);
    }
}

// The same records ordered by an n log n library sort on the same comparison.
void SortReference(benchmark::State& state) {
    const DayList unsorted = UnsortedDay();
    DayList list;
    for (auto _ : state) {
        list = unsorted;
        std::stable_sort(list.slots.begin(), list.slots.end(), [](const Appointment& a, const Appointment& b) {
            return CollateCompare(ReadField(b.time), ReadField(a.time)) == 2;
        });
        benchmark::DoNotOptimize(list);
    }
}

QString LongText(int length) {
    QString text;
    for (int i = 0; text.size() < length; ++i) text += QString::fromLatin1(LongSubject(i)) + QLatin1Char(' ');
    return text.left(length);
}

// A surface with the table's font on a small picture.
struct SplitRig {
    Surface surface;
    std::unique_ptr<Picture> picture = Surface::NewPicture(16, 16);
    SplitRig() {
        surface.SelectTarget(*picture);
        surface.SelectFont(surface.NewFont(QStringLiteral("Tahoma"), 9, kBold, 0));
    }
};

void Split(benchmark::State& state, int length) {
    SplitRig rig;
    const QString text = LongText(length);
    for (auto _ : state) benchmark::DoNotOptimize(rig.surface.SplitToWidth(text, kSplitLimit));
}

// One measurement of the part that fits: the least a split must measure to
// know that the part fits.
void MeasureHead(benchmark::State& state, int length) {
    SplitRig rig;
    const QString head = rig.surface.SplitToWidth(LongText(length), kSplitLimit).first;
    for (auto _ : state) benchmark::DoNotOptimize(rig.surface.TextSize(head));
}

std::string SplitName(int length) { return "splittowidth_" + std::to_string(length); }

}  // namespace

void RegisterText() {
    benchmark::RegisterBenchmark("collatecompare_29x29", CompareAllPairs)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("sortday_29", SortTheDay)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("sortday_29_reference", SortReference)->Unit(benchmark::kMicrosecond);
    for (const int length : kSplitLengths) {
        benchmark::RegisterBenchmark(SplitName(length).c_str(),
                                     [length](benchmark::State& state) { Split(state, length); })
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((SplitName(length) + "_reference").c_str(),
                                     [length](benchmark::State& state) { MeasureHead(state, length); })
            ->Unit(benchmark::kMicrosecond);
    }
}

void ReportText(const Medians& medians) {
    const double compares = MedianOf(medians, "collatecompare_29x29").cpu;
    char text[120];
    std::snprintf(text, sizeof text, "CollateCompare on all 841 pairs of 29 times: %.1f us cpu, %.1f ns a compare",
                  compares * 1e6, compares / 841 * 1e9);
    PrintFigure("collatecompare", text);
    PrintTimeFigure("sortday_29", "SortDay (shaker sort)", MedianOf(medians, "sortday_29"),
                    "std::stable_sort, same comparison", MedianOf(medians, "sortday_29_reference"));
    double previous = 0;
    for (const int length : kSplitLengths) {
        const Timing split = MedianOf(medians, SplitName(length));
        PrintTimeFigure(SplitName(length), "SplitToWidth", split, "one TextSize of the part that fits",
                        MedianOf(medians, SplitName(length) + "_reference"));
        if (previous > 0)
            PrintRatio("splittowidth_tenfold_" + std::to_string(length), split.cpu / previous, kTenfoldGrowthTarget);
        previous = split.cpu;
    }
}

}  // namespace quimbaro::bench
