#pragma once
// One subcommand of the command line: its name, its help, its own options and
// what it does. Adding a subcommand is one file with a factory, listed in
// subcommands.h and subcommands.cpp.

#include <QCommandLineParser>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <filesystem>
#include <functional>
#include <vector>

#include "book/day_rows.h"
#include "book/year_file.h"
#include "calendar/dates.h"
#include "place/data_folder.h"
#include "repeat/series_change.h"

namespace quimbaro::cli {

inline constexpr int kExitOk = 0, kExitFailure = 1, kExitUsage = 2;

// Draws the days as a PDF document into out, dated printedOn.
using PdfPages = std::function<PdfOutcome(const std::vector<DayRows>& days, const CalendarDate& printedOn,
                                          QIODevice& out)>;

struct CliContext {
    std::filesystem::path dataFolder;  // chosen by the data folder rule, exists, writable for a change
    TodayClock today;                  // injectable clock (calendar/dates.h)
    QTextStream& out;                  // stdout, locale encoding
    QTextStream& err;                  // stderr
    PdfPages pdfPages;                 // empty in a process without Qt Gui
    DayIndexPlace dayIndex;            // where list finds a day of a large year file
};

struct Subcommand {
    QString name;         // "list", "add", "delete", "edit", "search", "export", "import", "print"
    QString synopsis;     // e.g. "list [FECHA|hoy|ayer|mañana] [--days N] [--format text|tsv|json]"
    QString description;  // Spanish, one line, for --help
    std::function<void(QCommandLineParser&)> addOptions;  // the subcommand's own options (may be empty)
    FolderUse folderUse = FolderUse::Change;  // Read: works in a folder that cannot be written
    // args: the positional arguments after the subcommand's name; returns the exit status.
    std::function<int(const QCommandLineParser&, const QStringList& args, CliContext&)> run;
    // Draws pages, which needs Qt Gui: the program runs it in its window module.
    bool drawsPages = false;
};

// Writes "quimbaro: <message>" as one line on stderr and returns the status,
// so that a subcommand can end with `return Fail(context, kExitUsage, ...)`.
int Fail(CliContext& context, int status, const QString& message);
// How a change of the book ended: 0 when stored; otherwise the window's
// failure text, then why, and status 1.
int ChangeStatus(CliContext& context, const char* failedText, const StoreResult& result);
// The same for a series' change: what was done goes to stdout.
int SeriesChangeStatus(CliContext& context, const char* failedText, const SeriesChange& change);

}  // namespace quimbaro::cli
