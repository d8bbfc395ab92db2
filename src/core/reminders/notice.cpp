#include "reminders/notice.h"

#include <QStringList>

#include "book/phone_groups.h"
#include "text/win1252.h"

namespace quimbaro {
namespace {

// Text from the file on one line: it may hold control characters anywhere.
QString OneLine(std::string_view bytes) {
    QString text = FromWin1252(bytes);
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = ' ';
    return text;
}

QString TimeAndName(const Appointment& record) {
    return (OneLine(ReadField(record.time)) + ' ' + OneLine(ReadField(record.name))).trimmed();
}

}  // namespace

Notice AppointmentNotice(const Appointment& record) {
    QString body = OneLine(ReadField(record.subject));
    const QString phone = OneLine(GroupPhone(ReadField(record.phone))).trimmed();
    if (!phone.isEmpty()) body += (body.isEmpty() ? "" : "\n") + phone;
    return {TimeAndName(record), body};
}

Notice UpcomingNotice(const std::vector<const Appointment*>& records, int minutes) {
    QStringList lines;
    for (const Appointment* record : records) lines << TimeAndName(*record);
    const QString unit = minutes == 1 ? QStringLiteral("minuto") : QStringLiteral("minutos");
    return {QStringLiteral("Citas en los próximos %1 %2").arg(minutes).arg(unit), lines.join('\n')};
}

}  // namespace quimbaro
