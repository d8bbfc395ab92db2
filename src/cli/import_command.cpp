// import: events of iCalendar files appended to the book, with a report.
#include "date_range_options.h"
#include "files/regular_file.h"
#include "ical/book_import.h"
#include "subcommands.h"
#include "text/byte_text.h"

namespace quimbaro::cli {
namespace {

// Imports one file; false when anything in it was refused or not stored. The
// file is the one the user named, so a link to a plain file is followed.
bool ImportFile(const QString& name, const ical::ImportOptions& options, CliContext& context) {
    const FileBytes file = ReadRegularFile(BytesOfText(name), ical::kMaxImportBytes, Links::Follow);
    if (!file.Read()) {
        Fail(context, kExitFailure, QStringLiteral("no se pudo leer %1: %2").arg(name, QString::fromStdString(file.Reason())));
        return false;
    }
    const ical::ImportReport report = ical::ImportCalendarText(context.dataFolder, file.bytes, options);
    context.out << name << ":\n" << QString::fromStdString(ical::ImportReportText(report));
    return !report.AnythingRefused();
}

int RunImport(const QCommandLineParser& parser, const QStringList& args, CliContext& context) {
    QString error;
    const auto range = DateRangeGiven(parser, context.today, error);
    if (!range) return Fail(context, kExitUsage, error);
    if (args.isEmpty()) return Fail(context, kExitUsage, QStringLiteral("import espera uno o más archivos .ics"));
    const ical::ImportOptions options = ical::MakeImportOptions(context.today(), *range);
    bool allTaken = true;
    for (const QString& name : args) allTaken = ImportFile(name, options, context) && allTaken;
    return allTaken ? kExitOk : kExitFailure;
}

}  // namespace

Subcommand ImportCommand() {
    return {
        .name = QStringLiteral("import"),
        .synopsis = QStringLiteral("import ARCHIVO.ics... [--from FECHA] [--to FECHA]"),
        .description = QStringLiteral("añade las citas de archivos iCalendar y dice cuántas entraron y por qué no las demás"),
        .addOptions = AddDateRangeOptions,
        .run = RunImport,
    };
}

}  // namespace quimbaro::cli
