#include "day_text.h"

#include <QStringList>

#include <algorithm>
#include <array>

#include "appointment_rows.h"
#include "book/phone_groups.h"
#include "calendar/date_words.h"
#include "text/win1252.h"

namespace quimbaro::cli {
namespace {

constexpr int kColumns = 5;  // row number, time, phone, name, subject
using Line = std::array<QString, kColumns>;

// An occurrence of a series says which after its subject.
Line LineOf(int row, const Appointment& record, const std::string& repetition) {
    QString subject = PlainField(ReadField(record.subject));
    if (!repetition.empty()) subject += QStringLiteral("  (%1)").arg(QString::fromStdString(repetition));
    return {QString::number(row), PlainField(ReadField(record.time)), PlainField(GroupPhone(ReadField(record.phone))),
            PlainField(ReadField(record.name)), subject};
}

QString Padding(const QString& text, int width) { return QString(std::max(0, width - DisplayWidth(text)), u' '); }

QString Heading(const DayRows& day) {
    const std::string words = DateInWords(day.date);
    return words.empty() ? FromWin1252(day.key) : QString::fromStdString(words);
}

}  // namespace

int DisplayWidth(const QString& text) {
    // Combining marks, the only characters that take no column, start at U+0300.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x300; })) return int(text.size());
    int width = 0;
    for (const char32_t c : text.toUcs4()) {
        const auto category = QChar::category(c);
        if (category != QChar::Mark_NonSpacing && category != QChar::Mark_Enclosing) ++width;
    }
    return width;
}

QString DaysAsText(const std::vector<DayRows>& days) {
    std::vector<std::vector<Line>> lines(days.size());
    std::array<int, kColumns> widths{};
    for (std::size_t d = 0; d < days.size(); ++d) {
        for (std::size_t r = 0; r < days[d].rows.size(); ++r) {
            lines[d].push_back(LineOf(static_cast<int>(r) + 1, days[d].rows[r], RepetitionOf(days[d], r)));
            for (int c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], DisplayWidth(lines[d].back()[c]));
        }
    }
    QString text;
    for (std::size_t d = 0; d < days.size(); ++d) {
        if (d > 0) text += u'\n';
        text += Heading(days[d]) + u'\n';
        if (lines[d].empty()) text += QStringLiteral("  sin citas\n");
        for (const Line& line : lines[d]) {
            // The number right-aligned, the other columns left-aligned; the
            // subject, last, is not padded, and no line ends in spaces.
            QString row = QStringLiteral("  ") + Padding(line[0], widths[0]) + line[0];
            for (int c = 1; c < kColumns; ++c) row += QStringLiteral("  ") + line[c] + Padding(line[c], widths[c]);
            while (row.endsWith(u' ')) row.chop(1);
            text += row + u'\n';
        }
    }
    return text;
}

}  // namespace quimbaro::cli
