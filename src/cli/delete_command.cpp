// delete: deletes the appointment a day's row shows, as "borrar N" does.
#include "shown_row.h"
#include "subcommands.h"
#include "text/messages.h"

namespace quimbaro::cli {
namespace {

int RunDelete(const QCommandLineParser&, const QStringList& args, CliContext& context) {
    if (args.size() != 2) return Fail(context, kExitUsage, QStringLiteral("delete espera una fecha y un número de fila: delete FECHA N"));
    int status = kExitOk;
    const auto seen = FindShownRow(args[0], args[1], context, status);
    if (!seen) return status;
    return ChangeStatus(context, kNotDeletedText, DeleteChange(context.dataFolder, *seen).result);
}

}  // namespace

Subcommand DeleteCommand() {
    return {
        .name = QStringLiteral("delete"),
        .synopsis = QStringLiteral("delete FECHA N"),
        .description = QStringLiteral("borra la cita de la fila N del día, numerada como la muestra list"),
        .addOptions = {},
        .run = RunDelete,
    };
}

}  // namespace quimbaro::cli
