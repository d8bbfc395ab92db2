#include "print/day_pages.h"

#include <QPainter>
#include <QTextOption>

#include <algorithm>
#include <array>

#include "book/phone_groups.h"
#include "calendar/date_words.h"
#include "text/win1252.h"

namespace quimbaro {
namespace {

constexpr int kCells = 4;  // time, phone, name, subject
const std::array<QString, kCells> kColumnHeads{"Hora", "Teléfono", "Nombre", "Asunto"};
constexpr qreal kNameShare = 0.38;  // of what time and phone leave
const QColor kHeadFill{0xE4, 0xE4, 0xE4}, kRule{0xB0, 0xB0, 0xB0}, kFootText{0x50, 0x50, 0x50};

struct Fonts {
    QFont heading, columnHead, text, note, foot;
};

QFont Face(qreal points, bool bold, bool italic = false) {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// Lengths in device units: the painter draws in the device's own pixels.
struct Geometry {
    qreal point = 1;  // device units per typographic point
    qreal width = 0, bodyBottom = 0, pageBottom = 0;
    qreal pad = 0;                         // inside each cell
    std::array<qreal, kCells + 1> edges{};  // the columns' left edges, then the table's right edge
};

// A piece of a page: stacked top to bottom, never split.
enum class BlockKind { Heading, ColumnHeads, Row, NoAppointments };
struct Block {
    BlockKind kind;
    std::size_t day = 0, row = 0;
    bool continued = false;  // a day's heading repeated on the next page
    qreal top = 0, height = 0;
};
using Page = std::vector<Block>;

QTextOption Wrapping() {
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

// Control characters, which the entry cannot type, would draw as boxes.
QString CellText(const std::string& bytes) {
    QString text = FromWin1252(bytes);
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = u' ';
    return text;
}

// An occurrence of a series says which after its subject, as the list does.
std::array<QString, kCells> RowTexts(const DayRows& day, std::size_t row) {
    const Appointment& record = day.rows[row];
    QString subject = CellText(ReadField(record.subject));
    if (const std::string series = RepetitionOf(day, row); !series.empty())
        subject += (subject.isEmpty() ? QStringLiteral("(%1)") : QStringLiteral("  (%1)")).arg(QString::fromStdString(series));
    return {CellText(ReadField(record.time)), CellText(GroupPhone(ReadField(record.phone))),
            CellText(ReadField(record.name)), subject};
}

QString HeadingText(const DayRows& day, bool continued) {
    QString words = QString::fromStdString(DateInWords(day.date));
    if (words.isEmpty()) words = FromWin1252(day.key);
    words[0] = words[0].toUpper();
    return continued ? words + QStringLiteral(" (continúa)") : words;
}

class DayPages {
public:
    DayPages(QPagedPaintDevice& device, QPainter& painter, const std::vector<DayRows>& days)
        : device_(device), painter_(painter), days_(days) {
        fonts_ = {Face(13, true), Face(9, true), Face(10, false), Face(10, false, true), Face(8, false)};
        Measure();
    }

    std::vector<Page> Paginate() const;
    void Paint(const std::vector<Page>& pages, const CalendarDate& printedOn);

private:
    void Measure();
    qreal TextHeight(const QFont& font, const QString& text, qreal width) const;
    qreal LineHeight(const QFont& font) const { return QFontMetricsF(font, &device_).height(); }
    qreal CellWidth(int cell) const { return geometry_.edges[cell + 1] - geometry_.edges[cell] - 2 * geometry_.pad; }
    qreal RowHeight(std::size_t day, std::size_t row) const;
    qreal HeightOf(BlockKind kind, std::size_t day = 0, std::size_t row = 0) const;
    void PaintCells(const std::array<QString, kCells>& texts, const QFont& font, qreal top);
    void PaintBlock(const Block& block);
    void PaintFoot(int page, int pages, const CalendarDate& printedOn);

    QPagedPaintDevice& device_;
    QPainter& painter_;
    const std::vector<DayRows>& days_;
    Fonts fonts_;
    Geometry geometry_;
};

void DayPages::Measure() {
    Geometry& g = geometry_;
    g.point = device_.logicalDpiY() / 72.0;
    const QRectF area = device_.pageLayout().paintRectPixels(device_.logicalDpiX());
    g.width = area.width();
    g.pageBottom = area.height();
    g.bodyBottom = g.pageBottom - LineHeight(fonts_.foot) - 6 * g.point;
    g.pad = 3 * g.point;
    const QFontMetricsF text(fonts_.text, &device_), head(fonts_.columnHead, &device_);
    // Time and phone take what their usual texts need; longer ones wrap.
    const auto widest = [&](const QString& sample, int cell) {
        return std::max(text.horizontalAdvance(sample), head.horizontalAdvance(kColumnHeads[cell]));
    };
    const qreal timeWidth = widest(QStringLiteral("00:00"), 0), phoneWidth = widest(QStringLiteral("000 00 00 00"), 1);
    g.edges[0] = 0;
    g.edges[1] = g.edges[0] + timeWidth + 2 * g.pad;
    g.edges[2] = g.edges[1] + phoneWidth + 2 * g.pad;
    g.edges[3] = g.edges[2] + (g.width - g.edges[2]) * kNameShare;
    g.edges[4] = g.width;
}

qreal DayPages::TextHeight(const QFont& font, const QString& text, qreal width) const {
    painter_.setFont(font);
    const qreal height = painter_.boundingRect(QRectF(0, 0, width, 1e9), text, Wrapping()).height();
    return std::max(height, LineHeight(font));
}

qreal DayPages::RowHeight(std::size_t day, std::size_t row) const {
    const auto texts = RowTexts(days_[day], row);
    qreal tallest = 0;
    for (int cell = 0; cell < kCells; ++cell)
        tallest = std::max(tallest, TextHeight(fonts_.text, texts[cell], CellWidth(cell)));
    return tallest + 2 * geometry_.pad;
}

qreal DayPages::HeightOf(BlockKind kind, std::size_t day, std::size_t row) const {
    switch (kind) {
    case BlockKind::Heading: return LineHeight(fonts_.heading) + 4 * geometry_.point;
    case BlockKind::ColumnHeads: return LineHeight(fonts_.columnHead) + 2 * geometry_.pad;
    case BlockKind::Row: return RowHeight(day, row);
    case BlockKind::NoAppointments: return LineHeight(fonts_.note) + 2 * geometry_.pad;
    }
    return 0;
}

// A day starts on a new page unless its heading, the column heads and its
// first row fit; a day that runs on repeats its heading and column heads.
std::vector<Page> DayPages::Paginate() const {
    std::vector<Page> pages(1);
    qreal y = 0;
    const auto place = [&](BlockKind kind, std::size_t day, std::size_t row, bool continued) {
        const qreal height = HeightOf(kind, day, row);
        pages.back().push_back({kind, day, row, continued, y, height});
        y += height;
    };
    const auto startPage = [&] {
        pages.emplace_back();
        y = 0;
    };
    const qreal dayGap = 14 * geometry_.point;
    for (std::size_t day = 0; day < days_.size(); ++day) {
        const bool empty = days_[day].rows.empty();
        if (y > 0) y += dayGap;
        const qreal start = HeightOf(BlockKind::Heading) +
                            (empty ? HeightOf(BlockKind::NoAppointments)
                                   : HeightOf(BlockKind::ColumnHeads) + HeightOf(BlockKind::Row, day, 0));
        if (y > 0 && y + start > geometry_.bodyBottom) startPage();
        place(BlockKind::Heading, day, 0, false);
        place(empty ? BlockKind::NoAppointments : BlockKind::ColumnHeads, day, 0, false);
        for (std::size_t row = 0; row < days_[day].rows.size(); ++row) {
            if (y + HeightOf(BlockKind::Row, day, row) > geometry_.bodyBottom) {
                startPage();
                place(BlockKind::Heading, day, 0, true);
                place(BlockKind::ColumnHeads, day, 0, false);
            }
            place(BlockKind::Row, day, row, false);
        }
    }
    return pages;
}

void DayPages::PaintCells(const std::array<QString, kCells>& texts, const QFont& font, qreal top) {
    painter_.setFont(font);
    for (int cell = 0; cell < kCells; ++cell) {
        const QRectF box(geometry_.edges[cell] + geometry_.pad, top + geometry_.pad, CellWidth(cell), 1e9);
        painter_.drawText(box, texts[cell], Wrapping());
    }
}

void DayPages::PaintBlock(const Block& block) {
    const Geometry& g = geometry_;
    const QRectF box(0, block.top, g.width, block.height);
    painter_.setPen(Qt::black);
    switch (block.kind) {
    case BlockKind::Heading:
        painter_.setFont(fonts_.heading);
        painter_.drawText(box, Qt::AlignLeft | Qt::AlignTop, HeadingText(days_[block.day], block.continued));
        break;
    case BlockKind::ColumnHeads:
        painter_.fillRect(box, kHeadFill);
        PaintCells(kColumnHeads, fonts_.columnHead, block.top);
        break;
    case BlockKind::Row:
        PaintCells(RowTexts(days_[block.day], block.row), fonts_.text, block.top);
        painter_.setPen(QPen(kRule, 0.5 * g.point));
        painter_.drawLine(QPointF(0, box.bottom()), QPointF(g.width, box.bottom()));
        break;
    case BlockKind::NoAppointments:
        painter_.setFont(fonts_.note);
        painter_.drawText(box.adjusted(g.pad, g.pad, 0, 0), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Sin citas"));
        break;
    }
}

void DayPages::PaintFoot(int page, int pages, const CalendarDate& printedOn) {
    const Geometry& g = geometry_;
    const QRectF foot(0, g.pageBottom - LineHeight(fonts_.foot), g.width, LineHeight(fonts_.foot));
    painter_.setPen(QPen(kRule, 0.5 * g.point));
    painter_.drawLine(QPointF(0, foot.top() - 2 * g.point), QPointF(g.width, foot.top() - 2 * g.point));
    painter_.setPen(kFootText);
    painter_.setFont(fonts_.foot);
    painter_.drawText(foot, Qt::AlignLeft | Qt::AlignBottom,
                      QStringLiteral("Impreso el %1").arg(QString::fromStdString(DayKey(printedOn))));
    painter_.drawText(foot, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("Página %1 de %2").arg(page).arg(pages));
}

void DayPages::Paint(const std::vector<Page>& pages, const CalendarDate& printedOn) {
    for (std::size_t page = 0; page < pages.size(); ++page) {
        if (page > 0) device_.newPage();
        for (const Block& block : pages[page]) PaintBlock(block);
        PaintFoot(static_cast<int>(page) + 1, static_cast<int>(pages.size()), printedOn);
    }
}

}  // namespace

int PaintDayPages(QPagedPaintDevice& device, const std::vector<DayRows>& days, const CalendarDate& printedOn) {
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    DayPages layout(device, painter, days);
    const std::vector<Page> pages = layout.Paginate();
    layout.Paint(pages, printedOn);
    painter.end();
    return static_cast<int>(pages.size());
}

}  // namespace quimbaro
