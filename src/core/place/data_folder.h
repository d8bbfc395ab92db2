#pragma once
// Where the year files and Configuracion.ini live. An explicit folder wins
// (--data, then QUIMBARO_DATA); an installed program uses the user's data
// folder; a program run from anywhere else keeps its data beside itself, as
// long as that folder can be written, and otherwise uses the user's folder.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quimbaro {

enum class DataFolderSource {
    Option,            // --data
    Environment,       // QUIMBARO_DATA
    Installed,         // the program runs from the install prefix's bin folder
    BesideProgram,     // any other place whose folder can be written
    ProgramReadOnly,   // any other place whose folder cannot be written
};

// Everything the rule looks at; empty paths are "not given".
struct DataFolderFacts {
    std::filesystem::path option;            // --data
    std::filesystem::path environment;       // QUIMBARO_DATA
    std::filesystem::path programFolder;     // the executable's folder
    std::filesystem::path installBinFolder;  // the install prefix's bin, fixed at build time
    std::filesystem::path userDataHome;      // $XDG_DATA_HOME, or ~/.local/share
    std::function<bool(const std::filesystem::path&)> isWritable;
};

struct DataFolderChoice {
    std::filesystem::path folder;
    DataFolderSource source = DataFolderSource::BesideProgram;
    // Why this folder, in Spanish, for --help.
    std::string Why() const;
};

DataFolderChoice ChooseDataFolder(const DataFolderFacts& facts);

// The running executable's folder, links resolved.
std::filesystem::path ProgramFolder();

// The facts of this process: QUIMBARO_DATA, XDG_DATA_HOME or HOME, the
// folder of the running executable (resolved through links, as is the
// install folder) and a probe that asks the system for write access.
DataFolderFacts ProcessDataFolderFacts(const std::filesystem::path& option);

// What a run does with the book: only changes need a folder that can be written.
enum class FolderUse { Read, Change };

// Creates the folder when missing (each missing level with mode 0700, as
// the data is private) and checks that it can be read, and for a change that
// files can be made in it. Nothing, or the whole message for the user
// (kDataFolderUnusableText...).
std::optional<std::string> PrepareDataFolder(const std::filesystem::path& folder, FolderUse use);

}  // namespace quimbaro
