#include "search/match_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include "book/phone_groups.h"
#include "text/win1252.h"

namespace quimbaro {
namespace {

// date, time, phone, name, subject as stored.
QStringList Fields(const Appointment& record) {
    return {FromWin1252(ReadField(record.date)), FromWin1252(ReadField(record.time)),
            FromWin1252(ReadField(record.phone)), FromWin1252(ReadField(record.name)),
            FromWin1252(ReadField(record.subject))};
}

// A tab or line break inside a field would start a new column or row.
QString TsvField(QString field) {
    return field.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'\t', QStringLiteral("\\t"))
        .replace(u'\n', QStringLiteral("\\n"))
        .replace(u'\r', QStringLiteral("\\r"));
}

QString TextLine(const Appointment& record) {
    const QStringList f = Fields(record);
    const QString gap = QStringLiteral("  ");
    return f[0] + u' ' + f[1] + gap + FromWin1252(GroupPhone(ReadField(record.phone))) + gap + f[3] + gap +
           f[4] + u'\n';
}

QString TsvLine(const Appointment& record) {
    QStringList fields;
    for (const QString& field : Fields(record)) fields << TsvField(field);
    return fields.join(u'\t') + u'\n';
}

QString Json(const std::vector<Appointment>& records) {
    static const char* const kKeys[] = {"date", "time", "phone", "name", "subject"};
    QJsonArray array;
    for (const Appointment& record : records) {
        const QStringList fields = Fields(record);
        QJsonObject object;
        for (int i = 0; i < fields.size(); ++i) object.insert(QLatin1String(kKeys[i]), fields[i]);
        array.append(object);
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

}  // namespace

std::optional<MatchFormat> ParseMatchFormat(const QString& name) {
    if (name == u"text") return MatchFormat::Text;
    if (name == u"tsv") return MatchFormat::Tsv;
    if (name == u"json") return MatchFormat::Json;
    return std::nullopt;
}

QString FormatMatches(const std::vector<Appointment>& records, MatchFormat format) {
    if (format == MatchFormat::Json) return Json(records);
    QString out = format == MatchFormat::Tsv ? QStringLiteral("fecha\thora\ttelefono\tnombre\tasunto\n") : QString();
    for (const Appointment& record : records) out += format == MatchFormat::Tsv ? TsvLine(record) : TextLine(record);
    return out;
}

}  // namespace quimbaro
