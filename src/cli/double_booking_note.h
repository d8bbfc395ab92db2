#pragma once
// After add and edit: the appointment that already held the stored one's
// time, told on stderr as the window's box tells it. The exit status stays 0.

#include "book/appointment.h"
#include "subcommand.h"

namespace quimbaro::cli {

// Says nothing when [Citas] avisar_solapes=0 or the time is free.
void NoteDoubleBooking(CliContext& context, const Appointment& stored);

}  // namespace quimbaro::cli
