#include "double_booking_note.h"

#include "book/double_booking.h"
#include "settings/settings.h"

namespace quimbaro::cli {

void NoteDoubleBooking(CliContext& context, const Appointment& stored) {
    SettingsStore settings{.file = context.dataFolder / kSettingsFileName};
    LoadSettings(settings);
    if (!settings.warnDoubleBooking) return;
    if (const auto text = DoubleBookingWarning(context.dataFolder, stored)) {
        context.err << "quimbaro: " << QString::fromStdString(*text) << '\n';
        context.err.flush();
    }
}

}  // namespace quimbaro::cli
