// edit: stores a new line in place of the appointment a day's row shows, as
// "editar N" and Enter do.
#include "double_booking_note.h"
#include "entry_line.h"
#include "repeat/series_change.h"
#include "shown_row.h"
#include "subcommands.h"
#include "text/messages.h"

namespace quimbaro::cli {
namespace {

int RunEdit(const QCommandLineParser& parser, const QStringList& args, CliContext& context) {
    if (args.size() != 3)
        return Fail(context, kExitUsage,
                    QStringLiteral("edit espera una fecha, un número de fila y la nueva línea: "
                                   "edit FECHA N 'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto'"));
    const auto line = EntryAppointment(args[2]);
    if (!line) return Fail(context, kExitUsage, QString::fromUtf8(kBadEntryText));
    int status = kExitOk;
    const auto seen = FindShownRow(args[0], args[1], context, status);
    if (!seen) return status;
    const bool wholeSeries = parser.isSet(QStringLiteral("series"));
    if (seen->occurrence) {
        const SeriesChange change = wholeSeries
                                        ? SplitSeries(context.dataFolder, *seen->occurrence, line->appointment)
                                        : DetachOccurrence(context.dataFolder, *seen->occurrence, line->appointment);
        return SeriesChangeStatus(context, kNotStoredText, change);
    }
    if (wholeSeries) return Fail(context, kExitFailure, QString::fromUtf8(kNotSeriesRowText) + args[1]);
    const StoreResult stored = ReplaceChange(context.dataFolder, seen->record, line->appointment).result;
    if (stored.Stored()) NoteDoubleBooking(context, line->appointment);
    return ChangeStatus(context, kNotStoredText, stored);
}

}  // namespace

Subcommand EditCommand() {
    return {
        .name = QStringLiteral("edit"),
        .synopsis = QStringLiteral("edit FECHA N 'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto' [--series]"),
        .description = QStringLiteral("guarda la línea en lugar de la cita de la fila N del día "
                                      "(de una serie, solo ese día; con --series, la serie desde ese día)"),
        .addOptions = [](QCommandLineParser& parser) { parser.addOption({QStringLiteral("series"), QString()}); },
        .run = RunEdit,
    };
}

}  // namespace quimbaro::cli
