#include "appointment_rows.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>

#include "book/phone_groups.h"
#include "text/win1252.h"

namespace quimbaro::cli {
namespace {

// A field as text; control characters, which the entry cannot type, would
// break the lines of text and tsv.
QString Field(const std::string& bytes, bool plain) {
    QString text = FromWin1252(bytes);
    const auto isControl = [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; };
    if (plain) std::replace_if(text.begin(), text.end(), isControl, u' ');
    return text;
}

QStringList Columns(const Appointment& appointment, Format format) {
    const bool plain = format != Format::Json;
    const std::string phone = ReadField(appointment.phone);
    return {Field(ReadField(appointment.date), plain), Field(ReadField(appointment.time), plain),
            Field(format == Format::Text ? GroupPhone(phone) : phone, plain),
            Field(ReadField(appointment.name), plain), Field(ReadField(appointment.subject), plain)};
}

}  // namespace

void Print(const std::vector<Appointment>& rows, Format format, QTextStream& out) {
    static const QStringList kKeys{"fecha", "hora", "telefono", "nombre", "asunto"};
    if (format == Format::Tsv) out << kKeys.join(u'\t') << '\n';
    QJsonArray array;
    for (const Appointment& row : rows) {
        const QStringList columns = Columns(row, format);
        if (format == Format::Text) out << columns.join(QStringLiteral("  ")) << '\n';
        if (format == Format::Tsv) out << columns.join(u'\t') << '\n';
        QJsonObject object;
        for (qsizetype i = 0; i < kKeys.size(); ++i) object.insert(kKeys[i], columns[i]);
        array.append(object);
    }
    if (format == Format::Json) out << QString::fromUtf8(QJsonDocument(array).toJson());
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
