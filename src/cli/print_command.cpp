// print: the days as printed pages, written as a PDF file. The pages are
// drawn by the window's module (they need Qt Gui), which hands its drawing
// in as CliContext::pdfPages.
#include "files/atomic_write.h"
#include "shown_days.h"
#include "text/byte_text.h"
#include "subcommands.h"

namespace quimbaro::cli {
namespace {

const QString kPdfOption = QStringLiteral("pdf");

// The document goes through the shared safe writer: a failure leaves the
// previous file as it was, and a device or FIFO is written through, not replaced.
int WriteDocument(const std::vector<DayRows>& days, const QString& file, CliContext& context) {
    PdfOutcome drawn;
    const files::FileResult written = files::WriteFileSafely(BytesOfText(file), [&](QIODevice& out) {
        drawn = context.pdfPages(days, context.today(), out);
        return drawn.error.empty();
    });
    if (!drawn.error.empty())
        return Fail(context, kExitFailure, "No se pudo imprimir: " + QString::fromStdString(drawn.error));
    if (!written.Done())
        return Fail(context, kExitFailure, "No se pudo imprimir: " + QString::fromStdString(written.Reason()));
    context.out << QStringLiteral("Se imprimieron %1 días en %2 páginas: %3\n")
                       .arg(days.size())
                       .arg(drawn.pages)
                       .arg(file);
    return kExitOk;
}

int RunPrint(const QCommandLineParser& parser, const QStringList& args, CliContext& context) {
    if (parser.value(kPdfOption).isEmpty())
        return Fail(context, kExitUsage, QStringLiteral("print espera el archivo que escribir: --pdf ARCHIVO"));
    int status = kExitOk;
    const auto days = ReadShownDays(parser, args, QStringLiteral("print"), context, status);
    if (!days) return status;
    if (!context.pdfPages)
        return Fail(context, kExitFailure,
                    QStringLiteral("no se pueden dibujar páginas sin el módulo de la ventana"));
    return WriteDocument(*days, parser.value(kPdfOption), context);
}

}  // namespace

Subcommand PrintCommand() {
    return {
        .name = QStringLiteral("print"),
        .synopsis = QStringLiteral("print [FECHA|hoy|ayer|mañana] [--days N] --pdf ARCHIVO"),
        .description = QStringLiteral("escribe las citas de un día, o de N días desde él, como páginas A4 en PDF"),
        .addOptions =
            [](QCommandLineParser& parser) {
                AddDaysOption(parser);
                parser.addOption({kPdfOption, QString(), QStringLiteral("ARCHIVO")});
            },
        .run = RunPrint,
        .drawsPages = true,
    };
}

}  // namespace quimbaro::cli
