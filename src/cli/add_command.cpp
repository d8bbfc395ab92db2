// add: stores one appointment given as the line the window's entry takes.
#include "book/year_file.h"
#include "double_booking_note.h"
#include "entry_line.h"
#include "subcommands.h"
#include "text/messages.h"

namespace quimbaro::cli {
namespace {

int RunAdd(const QCommandLineParser&, const QStringList& args, CliContext& context) {
    if (args.size() != 1)
        return Fail(context, kExitUsage,
                    QStringLiteral("add espera una sola línea: 'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto'"));
    const auto classified = EntryAppointment(args[0]);
    if (!classified) return Fail(context, kExitUsage, QString::fromUtf8(kBadEntryText));
    const StoreResult stored = AppendAppointment(context.dataFolder, classified->appointment);
    if (stored.Stored()) NoteDoubleBooking(context, classified->appointment);
    return ChangeStatus(context, kNotStoredText, stored);
}

}  // namespace

Subcommand AddCommand() {
    return {
        .name = QStringLiteral("add"),
        .synopsis = QStringLiteral("add 'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto'"),
        .description = QStringLiteral("guarda una cita, escrita como en la línea de la ventana"),
        .addOptions = {},
        .run = RunAdd,
    };
}

}  // namespace quimbaro::cli
