#pragma once
// Test support: runs the command line in this process on a temporary data
// folder (the program's own folder, writable) with a fixed today.

#include <QByteArray>
#include <QTextStream>

#include <initializer_list>
#include <string>

#include "../core/temp_folder.h"
#include "cli_main.h"

namespace quimbaro::testing {

struct CliResult {
    int status = -1;
    std::string out, err;
};

class CliRun {
public:
    TempFolder folder;
    CalendarDate today{2026, 6, 15};

    CliResult operator()(std::initializer_list<const char*> args) const {
        QStringList arguments{QStringLiteral("quimbaro")};
        for (const char* arg : args) arguments << QString::fromUtf8(arg);
        QByteArray out, err;
        QTextStream outStream(&out), errStream(&err);
        DataFolderFacts facts;
        facts.programFolder = folder.path();
        facts.isWritable = [](const std::filesystem::path&) { return true; };
        const int status = cli::RunCli(arguments, facts, [this] { return today; }, outStream, errStream);
        outStream.flush();
        errStream.flush();
        return {status, out.toStdString(), err.toStdString()};
    }
};

}  // namespace quimbaro::testing
