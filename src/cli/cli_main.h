#pragma once
// The command line: which arguments open the window instead, and running a
// subcommand, --help or --version to the end.

#include <QString>
#include <QStringList>
#include <QTextStream>

#include "calendar/dates.h"
#include "place/data_folder.h"
#include "subcommand.h"

namespace quimbaro::cli {

// The window opens with no arguments or with only --data DIR (then in
// dataOption); every other argument list is for the command line.
bool OpensWindow(const QStringList& arguments, QString& dataOption);

// True when the arguments name a subcommand that draws pages: the program
// runs it in its window module, through RunProcessCli with the drawing.
bool DrawsPages(const QStringList& arguments);

// arguments[0] is the program. facts.option is taken from --data; pdfPages
// draws print's pages (empty: print fails); dayIndex is where days of large
// year files are looked up (empty: files are read whole). Returns the exit
// status (subcommand.h).
int RunCli(const QStringList& arguments, DataFolderFacts facts, const TodayClock& today, QTextStream& out,
           QTextStream& err, const PdfPages& pdfPages = {}, const DayIndexPlace& dayIndex = {});

// Runs the process's arguments in the application object already made:
// stdout and stderr in the locale's encoding, this process's facts and clock.
int RunProcessCli(int argc, char** argv, const PdfPages& pdfPages);

// The arguments as given, every byte kept (text/byte_text.h): a file name
// that is no UTF-8 still names its own file.
QStringList ArgumentList(int argc, char** argv);

// The process's entry: a QCoreApplication (no window system, no fonts),
// then RunProcessCli without pages.
int CommandLineMain(int argc, char** argv);

}  // namespace quimbaro::cli
