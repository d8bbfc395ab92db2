// The command line on arbitrary arguments (one per line of the input): it
// ends with a known status, a failure says why on its last stderr line and
// leaves the year files as they were, and json output always parses.

#include <QByteArray>
#include <QJsonDocument>
#include <QTextStream>

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "cli_main.h"
#include "fuzz_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace quimbaro;

std::uintmax_t YearFileBytes(const fs::path& folder) {
    std::uintmax_t total = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".log" && entry.is_regular_file()) total += entry.file_size();
    return total;
}

QStringList Arguments(const uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The scratch folder stays the data folder: explicit folders are refused.
    if (text.contains(QStringLiteral("--data")) || text.contains(QStringLiteral("QUIMBARO"))) return {};
    return QStringList{QStringLiteral("quimbaro")} + text.split(u'\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QStringList arguments = Arguments(data, size);
    if (arguments.isEmpty()) return 0;
    const fs::path& folder = fuzz::ScratchFolder();
    const std::uintmax_t before = YearFileBytes(folder);
    QByteArray out, err;
    QTextStream outStream(&out), errStream(&err);
    DataFolderFacts facts;
    facts.programFolder = folder;
    facts.isWritable = [](const fs::path&) { return true; };
    const int status = cli::RunCli(arguments, facts, [] { return CalendarDate{2026, 6, 15}; }, outStream, errStream);
    outStream.flush();
    errStream.flush();
    FUZZ_CHECK(status >= 0 && status <= 2);
    if (status != 0) {
        FUZZ_CHECK(out.isEmpty() && err.endsWith('\n'));
        FUZZ_CHECK(err.mid(err.lastIndexOf('\n', -2) + 1).startsWith("quimbaro: "));
        FUZZ_CHECK(YearFileBytes(folder) == before);
    }
    if (status == 0 && out.startsWith('['))  // only json starts so: text starts with a date
        FUZZ_CHECK(QJsonDocument::fromJson(out).isArray());
    return 0;
}
