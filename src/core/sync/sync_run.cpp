#include "sync/sync_run.h"

#include <QElapsedTimer>
#include <QProcess>

#include "files/folder_entries.h"
#include "files/folder_lock.h"
#include "ical/book_import.h"
#include "repeat/rules_file.h"
#include "sync/unchanged_check.h"

namespace quimbaro::sync {
namespace {

// Runs the command, waits for it within the limit; empty when it ended well.
std::string RunCommand(const SyncRequest& request, std::string& said) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments({QStringLiteral("-c"), QString::fromStdString(request.command)});
    process.start();
    if (!process.waitForStarted()) return "no se pudo ejecutar la orden: " + process.errorString().toStdString();
    QElapsedTimer clock;
    clock.start();
    QByteArray errors;
    bool finished = false;
    while (!finished && clock.elapsed() < request.commandLimit.count()) {
        finished = process.waitForFinished(200);
        errors += process.readAllStandardError();
        if (errors.size() > qsizetype(kMaxCommandErrorBytes)) errors = errors.right(qsizetype(kMaxCommandErrorBytes));
    }
    said = errors.trimmed().toStdString();
    if (!finished) {
        process.kill();
        process.waitForFinished();
        return "la orden no terminó en " + std::to_string(request.commandLimit.count() / 1000) + " segundos y se detuvo";
    }
    if (process.exitStatus() != QProcess::NormalExit) return "la orden terminó de forma anormal";
    if (process.exitCode() != 0) return "la orden terminó con el código " + std::to_string(process.exitCode());
    return "";
}

std::string Number(int n, const char* what) { return std::to_string(n) + " " + what; }

}  // namespace

SyncReport RunSync(const SyncRequest& request) {
    SyncReport report;
    files::UniqueFd dataFd, vdirFd;
    files::FolderLock dataLock, vdirLock;
    std::error_code code;
    const std::filesystem::path vdir = std::filesystem::weakly_canonical(std::filesystem::absolute(request.vdir), code);
    PassPlace place{request.data, -1, vdir.string(), -1,
                    ical::MakeImportOptions(request.today, ical::DateRange{})};
    files::FileResult ready = files::OpenFolder(request.data, false, dataFd);
    if (ready.Done()) ready = dataLock.Take(dataFd.get(), request.data.string(), kLockWait);
    if (ready.Done()) ready = files::OpenFolder(vdir, true, vdirFd);
    if (ready.Done()) ready = vdirLock.Take(vdirFd.get(), place.vdirShown, kLockWait);
    if (!ready.Done()) {
        report.error = ready.Reason();
        return report;
    }
    place.dataFd = dataFd.get();
    place.vdirFd = vdirFd.get();
    SyncState state;
    if (!LoadState(place, state, report.error)) return report;
    const bool command = !request.command.empty();
    if (!command && NothingChanged(place, state)) return report;  // the folder is locked: it stays so till the end
    report.error = RunPass(place, PassMode::FolderOnly, command ? Confirm::No : Confirm::Sent, state, report.counts);
    // What the folder brings can make files of ours (a conflict's second
    // version, a change that beat a deletion): one more round sends them.
    for (int round = 0; round < 2 && report.error.empty(); ++round) {
        if (command) {
            report.error = RunCommand(request, report.commandError);
            report.commandFailed = !report.error.empty() && round == 0;  // then the book is as it was
            if (!report.error.empty()) break;
        }
        const int written = report.counts.written;
        report.error = RunPass(place, PassMode::Both, command ? Confirm::Sent : Confirm::No, state, report.counts);
        if (!command || report.counts.written == written) break;
    }
    if (report.counts.refused > 0) report.seriesProblem = ReadRulesIn(place.dataFd, request.data).problem;
    return report;
}

SyncRequest SettingsRequest(const std::filesystem::path& data, const SettingsStore& settings, const CalendarDate& today) {
    SyncRequest request{data, {}, settings.syncCommand, today};
    if (!settings.syncFolder.empty()) request.vdir = data / std::filesystem::path(settings.syncFolder);
    return request;
}

std::string SyncReportText(const SyncReport& report) {
    const SyncCounts& c = report.counts;
    std::string text = "Sincronización: " + Number(c.written, "archivos escritos, ") + Number(c.added, "citas añadidas, ") +
                       Number(c.changed, "cambiadas, ") + Number(c.deleted, "borradas, ") +
                       Number(c.conflicts, "conflictos (se guardaron las dos versiones), ") +
                       Number(c.refused, "rechazados.");
    if (c.clashes > 0) text += "\n" + Number(c.clashes, "citas traídas a una hora que otra cita del día ya tiene.");
    if (!report.seriesProblem.empty()) text += "\n" + report.seriesProblem + ": sus citas no se sincronizaron.";
    if (!report.error.empty()) {
        text += "\nNo se pudo sincronizar: " + report.error + ".";
        if (!report.commandError.empty()) text += "\nLa orden dijo: " + report.commandError;
        if (report.commandFailed) text += "\nNo se trajo nada a la agenda.";
    }
    return text;
}

}  // namespace quimbaro::sync
