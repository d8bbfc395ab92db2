#include "cli_main.h"

#include <langinfo.h>

#include <QCoreApplication>
#include <QRegularExpression>

#include <cstdio>
#include <memory>
#include <new>

#include "subcommands.h"
#include "text/byte_text.h"

#ifndef QUIMBARO_VERSION
#define QUIMBARO_VERSION "0"
#endif

namespace quimbaro::cli {
namespace {

const QString kDataOption = QStringLiteral("data");

void AddGlobalOptions(QCommandLineParser& parser) {
    parser.addOption({kDataOption, QString(), QStringLiteral("CARPETA")});
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QString()});
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QString()});
}

// A parse of the arguments: the subcommand named (null when none is) and the
// parser that knows the global options and that subcommand's.
struct Invocation {
    const Subcommand* command = nullptr;
    std::unique_ptr<QCommandLineParser> parser;
    QString error;  // a usage error, for the user
};

// The first argument that is neither an option nor the value of --data.
QString NamedCommand(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--")) return i + 1 < arguments.size() ? arguments[i + 1] : QString();
        if (argument == QStringLiteral("--data")) ++i;
        else if (!argument.startsWith(u'-') || argument == QStringLiteral("-")) return argument;
    }
    return {};
}

const Subcommand* FindCommand(const QString& name) {
    for (const Subcommand& command : AllSubcommands())
        if (command.name == name) return &command;
    return nullptr;
}

// QCommandLineParser's own texts are English; the user reads Spanish.
QString ParseError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return QStringLiteral("opción desconocida: %1%2").arg(unknown[0].size() == 1 ? "-" : "--", unknown[0]);
    const QString option = QRegularExpression(QStringLiteral("'([^']*)'")).match(parser.errorText()).captured(1);
    if (parser.errorText().startsWith(QStringLiteral("Unexpected")))
        return QStringLiteral("la opción %1 no lleva valor").arg(option);
    return QStringLiteral("falta el valor de la opción %1").arg(option);
}

std::unique_ptr<QCommandLineParser> ParserFor(const Subcommand* command) {
    auto parser = std::make_unique<QCommandLineParser>();
    AddGlobalOptions(*parser);
    if (command && command->addOptions) command->addOptions(*parser);
    return parser;
}

QString UsageError(const Invocation& invocation, const QString& name, bool parsed) {
    const QCommandLineParser& parser = *invocation.parser;
    if (!parsed) return ParseError(parser);
    if (!name.isEmpty() && !invocation.command)
        return QStringLiteral("orden desconocida: %1 (véase quimbaro --help)").arg(name);
    if (parser.isSet(kDataOption) && parser.value(kDataOption).isEmpty())
        return QStringLiteral("--data necesita una carpeta");
    return {};
}

// The subcommand is the one whose options make its name the first positional
// argument, so its options may also come before its name. When none does,
// the first plain argument names it, for the message.
Invocation Parse(const QStringList& arguments) {
    for (const Subcommand& command : AllSubcommands()) {
        Invocation invocation{&command, ParserFor(&command), {}};
        if (invocation.parser->parse(arguments) && invocation.parser->positionalArguments().value(0) == command.name) {
            invocation.error = UsageError(invocation, command.name, true);
            return invocation;
        }
    }
    const QString name = NamedCommand(arguments);
    Invocation invocation{FindCommand(name), ParserFor(FindCommand(name)), {}};
    invocation.error = UsageError(invocation, name, invocation.parser->parse(arguments));
    return invocation;
}

QString FolderText(const std::filesystem::path& folder) { return TextOfBytes(folder.native()); }

QString HelpText(const DataFolderChoice& choice) {
    QString text = QStringLiteral("Uso: quimbaro [--data CARPETA] [ORDEN [ARGUMENTOS] [OPCIONES]]\n\n"
                                  "Sin orden abre la ventana de la agenda.\n\nÓrdenes:\n");
    for (const Subcommand& command : AllSubcommands())
        text += QStringLiteral("  %1\n      %2\n").arg(command.synopsis, command.description);
    text += QStringLiteral("\nOpciones:\n"
                           "  --data CARPETA  lee y guarda los datos en CARPETA (antes que QUIMBARO_DATA)\n"
                           "  -h, --help      muestra esta ayuda\n"
                           "  -v, --version   muestra la versión\n\n");
    return text + QStringLiteral("Carpeta de datos: %1\n  (%2)\n")
                      .arg(FolderText(choice.folder), QString::fromStdString(choice.Why()));
}

// Text is written in the locale's encoding; a locale without one (plain C)
// gets UTF-8 rather than question marks.
QStringConverter::Encoding LocaleEncoding() {
    const auto encoding = QStringConverter::encodingForName(nl_langinfo(CODESET));
    return encoding && *encoding != QStringConverter::System ? *encoding : QStringConverter::Utf8;
}

}  // namespace

int Fail(CliContext& context, int status, const QString& message) {
    context.out.flush();
    context.err << "quimbaro: " << message << '\n';
    context.err.flush();
    return status;
}

int ChangeStatus(CliContext& context, const char* failedText, const StoreResult& result) {
    if (result.Stored()) return kExitOk;
    return Fail(context, kExitFailure, QString::fromUtf8(failedText) + QString::fromStdString(result.Reason()));
}

int SeriesChangeStatus(CliContext& context, const char* failedText, const SeriesChange& change) {
    if (!change.Done()) return Fail(context, kExitFailure, QString::fromUtf8(failedText) + QString::fromStdString(change.error));
    context.out << QString::fromStdString(change.done) << '\n';
    return kExitOk;
}

bool OpensWindow(const QStringList& arguments, QString& dataOption) {
    const QStringList rest = arguments.mid(1);
    if (rest.isEmpty()) return true;
    if (rest.size() == 2 && rest[0] == QStringLiteral("--data")) dataOption = rest[1];
    else if (rest.size() == 1 && rest[0].startsWith(QStringLiteral("--data="))) dataOption = rest[0].mid(7);
    else return false;
    return !dataOption.isEmpty();
}

bool DrawsPages(const QStringList& arguments) {
    const Invocation invocation = Parse(arguments);
    return invocation.command && invocation.command->drawsPages;
}

int RunCli(const QStringList& arguments, DataFolderFacts facts, const TodayClock& today, QTextStream& out,
           QTextStream& err, const PdfPages& pdfPages, const DayIndexPlace& dayIndex) {
    const Invocation invocation = Parse(arguments);
    const QCommandLineParser& parser = *invocation.parser;
    CliContext context{{}, today, out, err, pdfPages, dayIndex};
    if (!invocation.error.isEmpty()) return Fail(context, kExitUsage, invocation.error);
    if (parser.isSet(kDataOption)) facts.option = std::filesystem::absolute(BytesOfText(parser.value(kDataOption)));
    const DataFolderChoice choice = ChooseDataFolder(facts);
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("version"))) {
        // Neither creates nor checks the folder: they only tell.
        if (parser.isSet(QStringLiteral("help"))) out << HelpText(choice);
        else out << "quimbaro " QUIMBARO_VERSION "\n";
        out.flush();
        return kExitOk;
    }
    if (!invocation.command)
        return Fail(context, kExitUsage, QStringLiteral("falta la orden (véase quimbaro --help)"));
    if (const auto problem = PrepareDataFolder(choice.folder, invocation.command->folderUse))
        return Fail(context, kExitFailure, QString::fromStdString(*problem));
    context.dataFolder = choice.folder;
    try {
        const int status = invocation.command->run(parser, parser.positionalArguments().mid(1), context);
        out.flush();
        return status;
    } catch (const std::bad_alloc&) {
        // Every change is on disk before it is reported: what was said stays true.
        return Fail(context, kExitFailure,
                    QStringLiteral("no hubo memoria suficiente para terminar la orden (lo que ya se guardó "
                                   "sigue guardado)"));
    }
}

QStringList ArgumentList(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << TextOfBytes(argv[i]);
    return arguments;
}

int RunProcessCli(int argc, char** argv, const PdfPages& pdfPages) {
    QTextStream out(stdout), err(stderr);
    out.setEncoding(LocaleEncoding());
    err.setEncoding(LocaleEncoding());
    return RunCli(ArgumentList(argc, argv), ProcessDataFolderFacts({}), LocalToday, out, err, pdfPages,
                  ProcessDayIndexPlace());
}

int CommandLineMain(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return RunProcessCli(argc, argv, {});
}

}  // namespace quimbaro::cli
