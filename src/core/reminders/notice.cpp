#include "reminders/notice.h"

#include <QStringList>

#include "book/phone_groups.h"
#include "text/win1252.h"

namespace quimbaro {
namespace {

QString TimeAndName(const Appointment& record) {
    return (FromWin1252(ReadField(record.time)) + ' ' + FromWin1252(ReadField(record.name))).trimmed();
}

}  // namespace

Notice AppointmentNotice(const Appointment& record) {
    QString body = FromWin1252(ReadField(record.subject));
    const QString phone = FromWin1252(GroupPhone(ReadField(record.phone))).trimmed();
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
