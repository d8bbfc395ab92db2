// The command line for the subcommands that draw pages (print), in the
// window's module because drawing text needs Qt Gui. It needs no display:
// the pages are drawn on Qt's offscreen platform.
#include <QGuiApplication>

#include "cli_main.h"
#include "print/pdf_pages.h"

extern "C" __attribute__((visibility("default"))) int QuimbaroPagesMain(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return quimbaro::cli::RunProcessCli(argc, argv, quimbaro::WritePdfPages);
}
