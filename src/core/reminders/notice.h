#pragma once
// The texts of a desktop notification about appointments: plain text, as the
// user should read them.

#include <QString>
#include <vector>

#include "book/appointment.h"

namespace quimbaro {

struct Notice {
    QString summary;
    QString body;
    friend bool operator==(const Notice&, const Notice&) = default;
};

// Summary "HH:MM Name"; body the subject and, on a line of its own, the
// phone grouped as the table shows it (no line when there is no phone).
Notice AppointmentNotice(const Appointment& record);
// One notice for several appointments starting within `minutes`: one
// "HH:MM Name" line each, in the given order.
Notice UpcomingNotice(const std::vector<const Appointment*>& records, int minutes);

}  // namespace quimbaro
