// import: events of iCalendar files appended to the book, with a report.
#include <QFile>

#include "date_range_options.h"
#include "ical/book_import.h"
#include "subcommands.h"

namespace quimbaro::cli {
namespace {

// The file's bytes, at most a block past the limit: enough to tell it is over.
QByteArray ReadBounded(QFile& file) {
    QByteArray text;
    while (text.size() <= qsizetype(ical::kMaxImportBytes)) {
        const QByteArray block = file.read(1 << 20);
        if (block.isEmpty()) break;
        text += block;
    }
    return text;
}

// Imports one file; false when anything in it was refused or not stored.
bool ImportFile(const QString& name, const ical::ImportOptions& options, CliContext& context) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(context, kExitFailure, QStringLiteral("no se pudo leer %1: %2").arg(name, file.errorString()));
        return false;
    }
    const QByteArray text = ReadBounded(file);
    const ical::ImportReport report =
        ical::ImportCalendarText(context.dataFolder, std::string_view(text.data(), std::size_t(text.size())), options);
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
