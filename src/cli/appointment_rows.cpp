#include "appointment_rows.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>

#include "book/phone_groups.h"
#include "calendar/date_words.h"
#include "day_text.h"
#include "text/win1252.h"

namespace quimbaro::cli {
namespace {

const QStringList kKeys{"fecha", "hora", "telefono", "nombre", "asunto"};
const QString kRepetitionKey = QStringLiteral("repeticion");
const QStringList kPlaceKeys{"fila", "fecha_iso", kRepetitionKey};

// A row with, for a listed day, its number in the day's table and its day
// in ISO form (unused for a found row).
struct MachineRow {
    const Appointment* record;
    int row = 0;
    QString isoDate;
    QString repetition;  // the series' name; empty for a single appointment
};

QString Field(const std::string& bytes, Format format) {
    return format == Format::Json ? FromWin1252(bytes) : PlainField(bytes);
}

QStringList Columns(const Appointment& appointment, Format format) {
    return {Field(ReadField(appointment.date), format), Field(ReadField(appointment.time), format),
            Field(ReadField(appointment.phone), format), Field(ReadField(appointment.name), format),
            Field(ReadField(appointment.subject), format)};
}

// What follows the five fields: a listed day's row number, ISO date and
// series, or a found row's series alone.
enum class Extra { Place, Series };

void PrintForPrograms(const std::vector<MachineRow>& rows, Extra extra, Format format, QTextStream& out) {
    const bool withPlace = extra == Extra::Place;
    const QStringList keys = kKeys + (withPlace ? kPlaceKeys : QStringList{kRepetitionKey});
    if (format == Format::Tsv) out << keys.join(u'\t') << '\n';
    QJsonArray array;
    for (const MachineRow& row : rows) {
        QStringList columns = Columns(*row.record, format);
        QJsonObject object;
        for (qsizetype i = 0; i < kKeys.size(); ++i) object.insert(kKeys[i], columns[i]);
        if (withPlace) {
            object.insert(kPlaceKeys[0], row.row);
            object.insert(kPlaceKeys[1], row.isoDate);
            columns << QString::number(row.row) << row.isoDate;
        }
        object.insert(kRepetitionKey, row.repetition);
        columns << row.repetition;
        if (format == Format::Tsv) out << columns.join(u'\t') << '\n';
        array.append(object);
    }
    if (format == Format::Json) out << QString::fromUtf8(QJsonDocument(array).toJson());
}

}  // namespace

QString PlainField(const std::string& bytes) {
    QString text = FromWin1252(bytes);
    const auto isControl = [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; };
    std::replace_if(text.begin(), text.end(), isControl, u' ');
    return text;
}

void Print(const std::vector<FoundRow>& rows, Format format, QTextStream& out) {
    if (format == Format::Text) {
        for (const FoundRow& row : rows) {
            QStringList columns = Columns(row.record, format);
            columns[2] = PlainField(GroupPhone(ReadField(row.record.phone)));
            if (!row.repetition.empty()) columns[4] += QStringLiteral("  (%1)").arg(QString::fromStdString(row.repetition));
            out << columns.join(QStringLiteral("  ")) << '\n';
        }
        return;
    }
    std::vector<MachineRow> machineRows;
    for (const FoundRow& row : rows) machineRows.push_back({&row.record, 0, {}, QString::fromStdString(row.repetition)});
    PrintForPrograms(machineRows, Extra::Series, format, out);
}

void PrintDays(const std::vector<DayRows>& days, Format format, QTextStream& out) {
    if (format == Format::Text) {
        out << DaysAsText(days);
        return;
    }
    std::vector<MachineRow> rows;
    for (const DayRows& day : days) {
        const QString iso = QString::fromStdString(IsoDate(day.date));
        for (std::size_t i = 0; i < day.rows.size(); ++i)
            rows.push_back({&day.rows[i], static_cast<int>(i) + 1, iso, QString::fromStdString(RepetitionOf(day, i))});
    }
    PrintForPrograms(rows, Extra::Place, format, out);
}

void AddFormatOption(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("format"), QString(), QStringLiteral("FORMATO"), QStringLiteral("text")});
}

std::optional<Format> FormatGiven(const QCommandLineParser& parser) {
    const QString name = parser.value(QStringLiteral("format"));
    if (name == QStringLiteral("text")) return Format::Text;
    if (name == QStringLiteral("tsv")) return Format::Tsv;
    if (name == QStringLiteral("json")) return Format::Json;
    return std::nullopt;
}

}  // namespace quimbaro::cli
