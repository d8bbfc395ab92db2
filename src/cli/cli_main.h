#pragma once
// The command line: which arguments open the window instead, and running a
// subcommand, --help or --version to the end.

#include <QString>
#include <QStringList>
#include <QTextStream>

#include "calendar/dates.h"
#include "place/data_folder.h"

namespace quimbaro::cli {

// The window opens with no arguments or with only --data DIR (then in
// dataOption); every other argument list is for the command line.
bool OpensWindow(const QStringList& arguments, QString& dataOption);

// arguments[0] is the program. facts.option is taken from --data. Returns
// the exit status (subcommand.h).
int RunCli(const QStringList& arguments, DataFolderFacts facts, const TodayClock& today, QTextStream& out,
           QTextStream& err);

// The arguments as given, every byte kept (text/byte_text.h): a file name
// that is no UTF-8 still names its own file.
QStringList ArgumentList(int argc, char** argv);

// The process's entry: a QCoreApplication (no window system, no fonts),
// stdout and stderr in the locale's encoding, this process's facts and clock.
int CommandLineMain(int argc, char** argv);

}  // namespace quimbaro::cli
