#include "book/appointment.h"

namespace quimbaro {

Appointment MakeAppointment(std::string_view date, std::string_view time, std::string_view phone,
                            std::string_view name, std::string_view subject) {
    Appointment record;
    StoreField(record.date, date);
    StoreField(record.time, time);
    StoreField(record.phone, phone);
    StoreField(record.name, name);
    StoreField(record.subject, subject);
    return record;
}

}  // namespace quimbaro
