// Start-up: with no arguments (or only --data DIR) the window, with anything
// else the command line, which never loads the window system.
#include <QApplication>
#include <QFile>
#include <QStringList>
#include <filesystem>

#include "cli_main.h"
#include "dialogs/programmer_message.h"
#include "place/data_folder.h"
#include "surface/fonts.h"
#include "window/main_window.h"

namespace {

int RunWindow(int argc, char** argv, const QString& dataOption) {
    QApplication app(argc, argv);
    const auto facts = quimbaro::ProcessDataFolderFacts(QFile::encodeName(dataOption).toStdString());
    const std::filesystem::path folder = quimbaro::ChooseDataFolder(facts).folder;
    // Never an empty book in a folder that cannot keep what is typed.
    if (const auto problem = quimbaro::PrepareDataFolder(folder)) {
        quimbaro::ShowProgrammerMessage(QString::fromStdString(*problem));
        return 1;
    }
    quimbaro::RegisterFonts();
    quimbaro::SettingsStore settings{.file = folder / quimbaro::kSettingsFileName};
    quimbaro::Settings("get", settings);
    quimbaro::ShellContext context(folder, quimbaro::LocalToday, settings);
    quimbaro::MainWindow window(context);
    window.show();
    window.raise();
    window.activateWindow();
    app.exec();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QString dataOption;
    if (!quimbaro::cli::OpensWindow(arguments, dataOption)) return quimbaro::cli::CommandLineMain(argc, argv);
    return RunWindow(argc, argv, dataOption);
}
