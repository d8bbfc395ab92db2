// Start-up: with no arguments (or only --data DIR) the window, with anything
// else the command line. The window lives in a module loaded only then: its
// libraries (Gui, Widgets, fonts) would more than double the command line's
// start-up time. A subcommand that draws pages (print) needs Qt Gui too, so
// the module also runs the command line for it.
#include <dlfcn.h>

#include <QStringList>

#include <cstdio>
#include <filesystem>

#include "cli_main.h"
#include "place/data_folder.h"
#include "subcommand.h"
#include "text/byte_text.h"

#ifndef QUIMBARO_MODULE_FROM_BINDIR
#define QUIMBARO_MODULE_FROM_BINDIR "."
#endif

namespace {

constexpr const char* kWindowModule = "quimbaro-window.so";
using WindowMain = int (*)(int argc, char** argv, const char* dataOption);
using PagesMain = int (*)(int argc, char** argv);

// The build puts the module beside the program; an install puts it in its
// library folder, found from the program's folder so that a staged or moved
// install finds its own.
std::filesystem::path WindowModulePath() {
    const std::filesystem::path programFolder = quimbaro::ProgramFolder();
    const std::filesystem::path beside = programFolder / kWindowModule;
    if (std::filesystem::exists(beside)) return beside;
    return (programFolder / QUIMBARO_MODULE_FROM_BINDIR / kWindowModule).lexically_normal();
}

// The module's entry of that name; null, with dlerror() saying why, when
// the module or the entry is missing.
void* ModuleEntry(const char* name) {
    const std::filesystem::path module = WindowModulePath();
    void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle ? dlsym(handle, name) : nullptr;
}

int OpenWindow(int argc, char** argv, const QString& dataOption) {
    auto* windowMain = reinterpret_cast<WindowMain>(ModuleEntry("QuimbaroWindowMain"));
    if (windowMain == nullptr) {
        std::fprintf(stderr, "quimbaro: no se puede abrir la ventana: %s\n", dlerror());
        return quimbaro::cli::kExitFailure;
    }
    return windowMain(argc, argv, quimbaro::BytesOfText(dataOption).c_str());
}

int DrawPages(int argc, char** argv) {
    auto* pagesMain = reinterpret_cast<PagesMain>(ModuleEntry("QuimbaroPagesMain"));
    if (pagesMain == nullptr) {
        std::fprintf(stderr, "quimbaro: no se pueden dibujar las páginas: %s\n", dlerror());
        return quimbaro::cli::kExitFailure;
    }
    return pagesMain(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
    QString dataOption;
    const QStringList arguments = quimbaro::cli::ArgumentList(argc, argv);
    if (quimbaro::cli::OpensWindow(arguments, dataOption)) return OpenWindow(argc, argv, dataOption);
    if (quimbaro::cli::DrawsPages(arguments)) return DrawPages(argc, argv);
    return quimbaro::cli::CommandLineMain(argc, argv);
}
