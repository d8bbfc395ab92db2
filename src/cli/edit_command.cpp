// edit: stores a new line in place of the appointment a day's row shows, as
// "editar N" and Enter do.
#include "double_booking_note.h"
#include "entry_line.h"
#include "shown_row.h"
#include "subcommands.h"
#include "text/messages.h"

namespace quimbaro::cli {
namespace {

int RunEdit(const QCommandLineParser&, const QStringList& args, CliContext& context) {
    if (args.size() != 3)
        return Fail(context, kExitUsage,
                    QStringLiteral("edit espera una fecha, un número de fila y la nueva línea: "
                                   "edit FECHA N 'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto'"));
    const auto line = EntryAppointment(args[2]);
    if (!line) return Fail(context, kExitUsage, QString::fromUtf8(kBadEntryText));
    int status = kExitOk;
    const auto seen = FindShownRow(args[0], args[1], context, status);
    if (!seen) return status;
    const StoreResult stored = ReplaceChange(context.dataFolder, *seen, line->appointment).result;
    if (stored.Stored()) NoteDoubleBooking(context, line->appointment);
    return ChangeStatus(context, kNotStoredText, stored);
}

}  // namespace

Subcommand EditCommand() {
    return {
        .name = QStringLiteral("edit"),
        .synopsis = QStringLiteral("edit FECHA N 'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto'"),
        .description = QStringLiteral("guarda la línea en lugar de la cita de la fila N del día"),
        .addOptions = {},
        .run = RunEdit,
    };
}

}  // namespace quimbaro::cli
