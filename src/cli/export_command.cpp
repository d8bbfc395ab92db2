// export: the book as an iCalendar file, on stdout, or as a vdir folder.
#include <QBuffer>
#include <QFile>

#include "date_range_options.h"
#include "ical/book_export.h"
#include "ical/book_import.h"
#include "ical/vdir_export.h"
#include "subcommands.h"

namespace quimbaro::cli {
namespace {

const QString kVdirOption = QStringLiteral("vdir");

int ToStdout(const ical::DateRange& range, CliContext& context) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const ical::ExportOutcome outcome = ical::ExportBook(context.dataFolder, range, buffer);
    if (!outcome.Done()) return Fail(context, kExitFailure, QString::fromStdString(ical::ExportMessage(outcome, "")));
    context.out << QString::fromUtf8(buffer.data());
    context.out.flush();
    if (context.out.status() != QTextStream::Ok)
        return Fail(context, kExitFailure,
                    QStringLiteral("No se pudo exportar: no se pudo escribir en la salida estándar (¿disco lleno o "
                                   "salida cerrada?)"));
    context.err << QString::fromStdString(ical::ExportMessage(outcome, "la salida estándar")) << "\n";
    return kExitOk;
}

int ToFile(const std::filesystem::path& file, const ical::DateRange& range, CliContext& context) {
    const ical::ExportOutcome outcome = ical::ExportBookToFile(context.dataFolder, range, file);
    const QString message = QString::fromStdString(ical::ExportMessage(outcome, file.string()));
    if (!outcome.Done()) return Fail(context, kExitFailure, message);
    context.out << message << "\n";
    return kExitOk;
}

int ToVdir(const std::filesystem::path& vdir, const ical::DateRange& range, CliContext& context) {
    const ical::VdirOutcome outcome = ical::ExportBookToVdir(context.dataFolder, range, vdir, ical::MakeImportOptions(context.today(), {}));
    const QString message = QString::fromStdString(ical::VdirMessage(outcome, vdir.string()));
    if (!outcome.error.empty() || outcome.notOurs > 0 || outcome.passedOver > 0) return Fail(context, kExitFailure, message);
    context.out << message << "\n";
    return kExitOk;
}

int RunExport(const QCommandLineParser& parser, const QStringList& args, CliContext& context) {
    QString error;
    const auto range = DateRangeGiven(parser, context.today, error);
    if (!range) return Fail(context, kExitUsage, error);
    const bool vdir = parser.isSet(kVdirOption);
    if (args.size() != (vdir ? 0 : 1))
        return Fail(context, kExitUsage, QStringLiteral("export espera un archivo .ics, - o --vdir CARPETA"));
    if (vdir && parser.value(kVdirOption).isEmpty()) return Fail(context, kExitUsage, QStringLiteral("--vdir necesita una carpeta"));
    if (vdir) return ToVdir(QFile::encodeName(parser.value(kVdirOption)).toStdString(), *range, context);
    if (args[0] == QStringLiteral("-")) return ToStdout(*range, context);
    return ToFile(QFile::encodeName(args[0]).toStdString(), *range, context);
}

}  // namespace

Subcommand ExportCommand() {
    return {
        .name = QStringLiteral("export"),
        .synopsis = QStringLiteral("export ARCHIVO.ics|- [--from FECHA] [--to FECHA] | export --vdir CARPETA"),
        .description = QStringLiteral("escribe las citas en formato iCalendar, o un archivo .ics por cita"),
        .addOptions = [](QCommandLineParser& parser) {
            AddDateRangeOptions(parser);
            parser.addOption({kVdirOption, QStringLiteral("un archivo por cita"), QStringLiteral("CARPETA")});
        },
        .run = RunExport,
    };
}

}  // namespace quimbaro::cli
