// print's pages: a week of 200 appointments laid out and written as PDF,
// beside the least any PDF of the same texts can cost: every cell's text
// drawn once with a plain QPainter::drawText, unwrapped, into as many pages.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <string>
#include <vector>

#include "bench_suite.h"
#include "book/phone_groups.h"
#include "print/pdf_pages.h"
#include "text/win1252.h"

namespace quimbaro::bench {

namespace {

constexpr double kTargetRatio = 3.0;
constexpr double kTargetSeconds = 0.300;
constexpr int kWeekAppointments = 200;

// Seven days from the bench day, 29 rows on each but the last; every fourth
// subject long enough to wrap.
std::vector<DayRows> Week() {
    std::vector<DayRows> days;
    int made = 0;
    for (int d = 0; d < 7; ++d) {
        const CalendarDate date = *DaysAfter({kBenchYear, kBenchMonth, kBenchDay}, d);
        DayRows day{date, DayKey(date), {}};
        for (int n = 0; n < kDaySlots && made < kWeekAppointments; ++n, ++made) {
            const std::string subject = n % 4 == 3 ? ToWin1252(QStringLiteral(
                                                          "Revisión de la prótesis y de la férula de descarga, "
                                                          "con radiografía"))
                                                    : "Cita " + std::to_string(n);
            day.rows.push_back(MakeAppointment(day.key, "09:30", "612345678",
                                               ToWin1252(QStringLiteral("Peña Núñez %1").arg(made)), subject));
        }
        days.push_back(day);
    }
    return days;
}

// The same texts, one line each, spaced about as print spaces its rows.
void PlainPages(const std::vector<DayRows>& days, QIODevice& out) {
    QPdfWriter writer(&out);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("Liberation Sans"), 10));
    const int line = painter.fontMetrics().height() * 3 / 2, column = writer.width() / 4;
    int y = 0;
    for (const DayRows& day : days) {
        for (const Appointment& row : day.rows) {
            if (y + line > writer.height()) {
                writer.newPage();
                y = 0;
            }
            y += line;
            const QString texts[] = {FromWin1252(ReadField(row.time)), FromWin1252(GroupPhone(ReadField(row.phone))),
                                     FromWin1252(ReadField(row.name)), FromWin1252(ReadField(row.subject))};
            for (int c = 0; c < 4; ++c) painter.drawText(c * column, y, texts[c]);
        }
    }
}

}  // namespace

void RegisterPrint() {
    const std::vector<DayRows> week = Week();
    benchmark::RegisterBenchmark("print_week", [week](benchmark::State& state) {
        for (auto _ : state) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            if (!WritePdfPages(week, {kBenchYear, kBenchMonth, kBenchDay}, buffer).error.empty())
                state.SkipWithError("the pages were not drawn");
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("print_week_reference", [week](benchmark::State& state) {
        for (auto _ : state) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            PlainPages(week, buffer);
        }
    })->Unit(benchmark::kMillisecond);
}

void ReportPrint(const Medians& medians) {
    const Timing print = MedianOf(medians, "print_week");
    const Timing reference = MedianOf(medians, "print_week_reference");
    PrintTimeFigure("print_week", "a week of 200 appointments as A4 PDF pages", print,
                    "the same texts once each, plain QPainter::drawText", reference);
    PrintRatio("print_week", print.cpu / reference.cpu, kTargetRatio);
    PrintRatio("print_week_vs_300ms", print.cpu / kTargetSeconds, 1.0);
}

}  // namespace quimbaro::bench
