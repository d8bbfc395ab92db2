// add: stores one appointment given as the line the window's entry takes.
#include <algorithm>

#include "book/year_file.h"
#include "command/classify_line.h"
#include "subcommands.h"
#include "text/messages.h"
#include "text/win1252.h"

namespace quimbaro::cli {
namespace {

// The entry cannot take a line break or a tab; a record holding one would
// break every line-based listing of the day.
bool HasControlCharacter(const std::string& line) {
    return std::any_of(line.begin(), line.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

int RunAdd(const QCommandLineParser&, const QStringList& args, CliContext& context) {
    if (args.size() != 1)
        return Fail(context, kExitUsage,
                    QStringLiteral("add espera una sola línea: 'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto'"));
    const std::string line = ToWin1252(args[0]);
    const ClassifiedLine classified = ClassifyLine(line);
    if (classified.action != LineAction::Append || HasControlCharacter(line))
        return Fail(context, kExitUsage, QString::fromUtf8(kBadEntryText));
    const auto& f = classified.fields;
    const StoreResult stored = AppendAppointment(context.dataFolder, f[0], f[1], f[2], f[3], f[4]);
    if (!stored.Stored())
        return Fail(context, kExitFailure, QString::fromUtf8(kNotStoredText) + QString::fromStdString(stored.Reason()));
    return kExitOk;
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
