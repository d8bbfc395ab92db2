// ShowDay through the real main window, beside the least any drawing of the
// same day can do: every text it shows drawn once (bold that needs a second
// stroke to look bold, twice), unwrapped, with a plain QPainter into pictures
// of the same sizes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QWindow>
#include <stdexcept>
#include <vector>

#include "window/main_window.h"
#include "window/shell_context.h"
#include "bench_suite.h"
#include "bench_year_file.h"
#include "views/table_view.h"
#include "calendar/dates.h"
#include "figures.h"
#include "settings/settings.h"
#include "surface/simulated_bold.h"

namespace quimbaro::bench {

namespace {

constexpr double kTargetRatio = 2.0;
constexpr double kFrameSeconds = 0.016;
constexpr int kCalendarWidth = 1160, kCalendarHeight = 233;
constexpr int kSizeForShowDay = 10000;

struct PlacedText {
    QString text;
    QPoint topLeft;
};

QFont PanelFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(12);  // 9 points at 96 dots per inch
    font.setBold(true);
    return font;
}

// Month k of the strip around the shown month, wrapped into 1..12.
CalendarDate BlockMonth(int k) {
    int month = kBenchMonth + k, year = kBenchYear;
    if (month < 1) month += 12, --year;
    if (month > 12) month -= 12, ++year;
    return {int16_t(year), int16_t(month), 1};
}

// Titles, weekday letters and day numbers of the seven months, where the
// strip puts them.
std::vector<PlacedText> CalendarTexts(const QFontMetrics& metrics) {
    std::vector<PlacedText> texts;
    const QString letters = QStringLiteral("LMXJVSD");
    for (int i = 0; i < 7; ++i) {
        const CalendarDate block = BlockMonth(i - 3);
        const int left = 26 + 160 * i, top = 50;
        const QString title = QString::fromLatin1(MonthName(block.month).data(),
                                                  qsizetype(MonthName(block.month).size())) +
                              QLatin1Char(' ') + QString::number(block.year);
        texts.push_back({title, {(2 * left + 140 - metrics.horizontalAdvance(title)) / 2, top}});
        for (int c = 0; c < 7; ++c) texts.push_back({QString(letters[c]), {left + c * 20, top + 18}});
        int column = DayOfWeek(block.year, block.month, 1), y = top + 36;
        for (int d = 1; d <= DaysInMonth(block.month, block.year); ++d) {
            texts.push_back({QString::number(d), {left + (column - 1) * 20, y}});
            if (++column > 7) column = 1, y += 18;
        }
    }
    return texts;
}

// Every cell's text, header and all 29 rows, at the cell's text origin.
std::vector<PlacedText> TableTexts(const TableGrid& grid) {
    std::vector<PlacedText> texts;
    for (int row = 0; row <= kDaySlots; ++row) {
        for (int column = 0; column < 4; ++column) {
            const TableCell& cell = grid.At(column, row);
            texts.push_back({cell.text.trimmed(),
                             {cell.left + 2 * column + 3 + 1, cell.top + 2 * row + 1 + 1}});
        }
    }
    return texts;
}

// The benchmark is only fair if the day's names and subjects really wrap.
void RequireWrapping(const TableGrid& grid, const QFontMetrics& metrics) {
    for (int row = 1; row <= kDaySlots; ++row) {
        for (int column : {2, 3}) {
            const TableCell& cell = grid.At(column, row);
            if (metrics.horizontalAdvance(cell.text) <= cell.right - cell.left - 1)
                throw std::runtime_error("row " + std::to_string(row) + " does not wrap: \"" +
                                         cell.text.toStdString() + "\" is " +
                                         std::to_string(metrics.horizontalAdvance(cell.text)) + " pixels wide");
        }
    }
}

void DrawTexts(QImage& image, const QFont& font, const QColor& colour,
               const std::vector<PlacedText>& texts) {
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(colour);
    const int ascent = QFontMetrics(font).ascent();
    const bool twice = NeedsSecondStroke(font);
    for (const PlacedText& placed : texts) {
        const QPoint baseline(placed.topLeft.x(), placed.topLeft.y() + ascent);
        painter.drawText(baseline, placed.text);
        if (twice) DrawSecondStroke(painter, baseline, placed.text);
    }
}

}  // namespace

class ShowDayRig {
public:
    explicit ShowDayRig(const std::filesystem::path& folder)
        : settings_{.file = folder / kSettingsFileName,
                    .userColour = kDefaultUserColour,
                    .sortOrder = kDefaultSortOrder},
          context_(folder, [] { return CalendarDate{kBenchYear, kBenchMonth, kBenchDay}; }, settings_),
          window_(context_),
          font_(PanelFont()) {
        window_.show();
        while (!window_.windowHandle() || !window_.windowHandle()->isExposed())
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        ShowDay();
        QApplication::processEvents();
        const TableGrid& grid = *window_.State().tableGrid;
        RequireWrapping(grid, QFontMetrics(font_));
        calendarTexts_ = CalendarTexts(QFontMetrics(font_));
        tableTexts_ = TableTexts(grid);
    }

    void ShowDay() { window_.EnterLine(kBenchDayKey); }

    // ShowDay and the window's pending repaint: the calendar strip on screen too.
    void ShowDayOnScreen() {
        ShowDay();
        QApplication::processEvents();
    }

    void DrawReference() {
        DrawTexts(calendarImage_, font_, Qt::white, calendarTexts_);
        DrawTexts(tableImage_, font_, Qt::black, tableTexts_);
    }

    std::size_t TextCount() const { return calendarTexts_.size() + tableTexts_.size(); }

private:
    SettingsStore settings_;
    ShellContext context_;
    MainWindow window_;
    QFont font_;
    QImage calendarImage_{kCalendarWidth, kCalendarHeight, QImage::Format_RGB32};
    QImage tableImage_{kTableWidth, kTableHeight, QImage::Format_RGB32};
    std::vector<PlacedText> calendarTexts_;
    std::vector<PlacedText> tableTexts_;
};

void ShowDayRigDeleter::operator()(ShowDayRig* rig) const { delete rig; }

ShowDayRigPtr RegisterShowDay(const BenchData& data) {
    const std::filesystem::path folder = SizeFolder(data, kSizeForShowDay);
    EnsureYearFile(folder, kSizeForShowDay, kBenchDayKey);
    ShowDayRigPtr rig(new ShowDayRig(folder));
    ShowDayRig* shown = rig.get();
    benchmark::RegisterBenchmark("showday", [shown](benchmark::State& state) {
        for (auto _ : state) shown->ShowDay();
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("showday_on_screen", [shown](benchmark::State& state) {
        for (auto _ : state) shown->ShowDayOnScreen();
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("showday_reference", [shown](benchmark::State& state) {
        for (auto _ : state) shown->DrawReference();
        state.counters["texts"] = double(shown->TextCount());
    })->Unit(benchmark::kMillisecond);
    return rig;
}

void ReportShowDay(const Medians& medians) {
    const Timing reference = MedianOf(medians, "showday_reference");
    const Timing showDay = MedianOf(medians, "showday");
    const Timing onScreen = MedianOf(medians, "showday_on_screen");
    const std::string texts = "every text once (bold twice), unwrapped, plain QPainter::drawText";
    PrintTimeFigure("showday", "ShowDay (29 wrapping rows, 10000-record file)", showDay, texts, reference);
    PrintTimeFigure("showday_on_screen", "ShowDay + pending repaint", onScreen, texts, reference);
    PrintRatio("showday", onScreen.cpu / reference.cpu, kTargetRatio);
    PrintRatio("showday_vs_16ms", onScreen.cpu / kFrameSeconds, 1.0);
}

}  // namespace quimbaro::bench
