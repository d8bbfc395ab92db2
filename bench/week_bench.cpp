// "semana" through the real main window, a week of 200 appointments among
// 10,000 records, beside ShowDay of one day of the same file; and a scroll
// step of the week, which paints only what comes into sight.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

#include <fstream>
#include <string>

#include "bench_suite.h"
#include "bench_year_file.h"
#include "book/year_file.h"
#include "surface/graphic_control.h"
#include "window/main_window.h"
#include "window/shell_context.h"

namespace quimbaro::bench {

namespace {

constexpr double kTargetRatio = 2.0;
constexpr int kFileRecords = 10000;
constexpr int kWeekAppointments = 200;

// The 10,000-record file with the bench day's 30, and the rest of the 200
// spread over the six days after it (the bench day is a Monday).
std::filesystem::path WeekFolder(const BenchData& data) {
    const std::filesystem::path folder = data.folder / "week-10k";
    const std::filesystem::path stamp = folder / "week-added";
    if (std::filesystem::exists(stamp)) return folder;
    std::filesystem::create_directories(folder);
    std::filesystem::remove(folder / "2026.log");
    std::filesystem::copy_file(EnsureYearFile(SizeFolder(data, kFileRecords), kFileRecords, kBenchDayKey),
                               folder / "2026.log");
    for (int i = kDayRecords; i < kWeekAppointments; ++i) {
        const CalendarDate day = *DaysAfter({kBenchYear, kBenchMonth, kBenchDay}, 1 + i % 6);
        const std::string time = (i / 6 % 12 + 8 < 10 ? "0" : "") + std::to_string(i / 6 % 12 + 8) + ":30";
        if (!AppendAppointment(folder, DayKey(day), time, "612345678", LongName(i), LongSubject(i)).Stored())
            throw std::runtime_error("the week could not be written");
    }
    std::ofstream(stamp) << "200\n";
    return folder;
}

}  // namespace

class WeekRig {
public:
    explicit WeekRig(const std::filesystem::path& folder)
        : settings_{.file = folder / kSettingsFileName, .userColour = kDefaultUserColour, .sortOrder = kDefaultSortOrder},
          context_(folder, [] { return CalendarDate{kBenchYear, kBenchMonth, kBenchDay}; }, settings_),
          window_(context_) {
        window_.show();
        while (!window_.windowHandle() || !window_.windowHandle()->isExposed())
            QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    void Day() { Show(kBenchDayKey); }
    void Week() { Show("semana"); }
    // One step down and back up: two redraws of the week from the file's rows in memory.
    void Scroll() {
        for (const int key : {Qt::Key_PageDown, Qt::Key_PageUp}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(&window_.AppointmentsArea(), &press);
        }
        QApplication::processEvents();
    }

private:
    void Show(const char* line) {
        window_.EnterLine(line);
        QApplication::processEvents();
    }
    SettingsStore settings_;
    ShellContext context_;
    MainWindow window_;
};

void WeekRigDeleter::operator()(WeekRig* rig) const { delete rig; }

WeekRigPtr RegisterWeek(const BenchData& data) {
    WeekRigPtr rig(new WeekRig(WeekFolder(data)));
    WeekRig* shown = rig.get();
    benchmark::RegisterBenchmark("week_day", [shown](benchmark::State& state) {
        for (auto _ : state) shown->Day();
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("week_semana", [shown](benchmark::State& state) {
        for (auto _ : state) shown->Week();
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("week_scroll", [shown](benchmark::State& state) {
        shown->Week();
        for (auto _ : state) shown->Scroll();
    })->Unit(benchmark::kMillisecond);
    return rig;
}

void ReportWeek(const Medians& medians) {
    const Timing day = MedianOf(medians, "week_day");
    const Timing week = MedianOf(medians, "week_semana");
    const Timing scroll = MedianOf(medians, "week_scroll");
    const std::string showDay = "ShowDay of the week's Monday (30 rows), on screen";
    PrintTimeFigure("week_semana", "semana: 7 days, 200 appointments, 10000-record file, on screen", week, showDay, day);
    PrintTimeFigure("week_scroll", "two scroll steps of that week", scroll, showDay, day);
    PrintRatio("week_semana", week.cpu / day.cpu, kTargetRatio);
    PrintRatio("week_scroll", scroll.cpu / 2 / day.cpu, 1.0);
}

}  // namespace quimbaro::bench
