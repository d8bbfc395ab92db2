// sync: one two-way sync of the book with a vdir folder, as "sincronizar" does.
#include "settings/settings.h"
#include "subcommands.h"
#include "sync/sync_run.h"
#include "text/byte_text.h"

namespace quimbaro::cli {
namespace {

const QString kVdirOption = QStringLiteral("vdir");
const QString kRunOption = QStringLiteral("run");

int RunSyncCommand(const QCommandLineParser& parser, const QStringList& args, CliContext& context) {
    if (!args.isEmpty()) return Fail(context, kExitUsage, QStringLiteral("sync no lleva argumentos, solo --vdir y --run"));
    SettingsStore settings{context.dataFolder / kSettingsFileName};
    LoadSettings(settings);
    sync::SyncRequest request = sync::SettingsRequest(context.dataFolder, settings, context.today());
    if (parser.isSet(kVdirOption)) request.vdir = BytesOfText(parser.value(kVdirOption));
    if (parser.isSet(kRunOption)) request.command = BytesOfText(parser.value(kRunOption));
    if (request.vdir.empty())
        return Fail(context, kExitUsage,
                    QStringLiteral("sync necesita una carpeta: --vdir CARPETA o carpeta= en [Sincronizar] de %1")
                        .arg(QString::fromStdString(settings.file.string())));
    const sync::SyncReport report = sync::RunSync(request);
    const QString text = QString::fromStdString(sync::SyncReportText(report));
    if (report.Failed()) return Fail(context, kExitFailure, text);
    context.out << text << "\n";
    return kExitOk;
}

}  // namespace

Subcommand SyncCommand() {
    return {
        .name = QStringLiteral("sync"),
        .synopsis = QStringLiteral("sync [--vdir CARPETA] [--run ORDEN]"),
        .description = QStringLiteral("sincroniza la agenda con una carpeta vdir en los dos sentidos, ejecutando la orden entre medias"),
        .addOptions = [](QCommandLineParser& parser) {
            parser.addOption({kVdirOption, QStringLiteral("la carpeta vdir (gana a [Sincronizar] carpeta)"), QStringLiteral("CARPETA")});
            parser.addOption({kRunOption, QStringLiteral("la orden que sincroniza la carpeta con el servidor"), QStringLiteral("ORDEN")});
        },
        .run = RunSyncCommand,
    };
}

}  // namespace quimbaro::cli
