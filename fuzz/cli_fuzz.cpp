// The command line on arbitrary arguments (one per line of the input, any
// bytes): each argument's bytes survive its reading as text; the run
// ends with a known status, a failure says why on its last stderr line and
// leaves the year files as they were, and json output always parses.

#include <QByteArray>
#include <QJsonDocument>
#include <QTextStream>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_main.h"
#include "fuzz_folder.h"
#include "text/byte_text.h"

namespace {

namespace fs = std::filesystem;
using namespace quimbaro;

std::uintmax_t YearFileBytes(const fs::path& folder) {
    std::uintmax_t total = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".log" && entry.is_regular_file()) total += entry.file_size();
    return total;
}

// Each line of the input is one argument's bytes, UTF-8 or not, taken as the
// program takes its own; every byte must come back as it was.
QStringList Arguments(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The scratch folder stays the data folder: explicit folders are refused.
    if (text.find("--data") != std::string::npos || text.find("QUIMBARO") != std::string::npos) return {};
    std::vector<std::string> lines{"quimbaro"};
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    std::vector<char*> argv;
    for (std::string& line : lines) argv.push_back(line.data());
    const QStringList arguments = cli::ArgumentList(static_cast<int>(argv.size()), argv.data());
    for (qsizetype i = 0; i < arguments.size(); ++i)
        FUZZ_CHECK(BytesOfText(arguments[i]) == lines[static_cast<std::size_t>(i)].c_str());
    return arguments;
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
        // Only a search that found nothing prints (its empty result) and fails.
        FUZZ_CHECK((out.isEmpty() || (status == 1 && arguments.contains(QStringLiteral("search")))) && err.endsWith('\n'));
        FUZZ_CHECK(err.mid(err.lastIndexOf('\n', -2) + 1).startsWith("quimbaro: "));
        FUZZ_CHECK(YearFileBytes(folder) == before);
    }
    if (status == 0 && out.startsWith('['))  // only json starts so: text starts with a date
        FUZZ_CHECK(QJsonDocument::fromJson(out).isArray());
    return 0;
}
