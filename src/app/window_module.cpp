// The window, built as a module that the program loads only when the window
// opens, so that the command line never loads the window system's libraries.
#include <QApplication>
#include <filesystem>

#include "dialogs/programmer_message.h"
#include "dialogs/qt_spanish_texts.h"
#include "place/data_folder.h"
#include "surface/fonts.h"
#include "window/guarded_application.h"
#include "window/main_window.h"

extern "C" __attribute__((visibility("default"))) int QuimbaroWindowMain(int argc, char** argv,
                                                                         const char* dataOption) {
    quimbaro::GuardedApplication app(argc, argv);
    // Lets the desktop match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quimbaro.Quimbaro"));
    quimbaro::LoadQtSpanishTexts(app);  // without them Qt's own texts stay in English
    const auto facts = quimbaro::ProcessDataFolderFacts(dataOption);
    const std::filesystem::path folder = quimbaro::ChooseDataFolder(facts).folder;
    // Never an empty book in a folder that cannot keep what is typed.
    if (const auto problem = quimbaro::PrepareDataFolder(folder, quimbaro::FolderUse::Change)) {
        quimbaro::ShowProgrammerMessage(QString::fromStdString(*problem));
        return 1;
    }
    quimbaro::RegisterFonts();
    quimbaro::SettingsStore settings{.file = folder / quimbaro::kSettingsFileName};
    quimbaro::LoadSettings(settings);
    quimbaro::ShellContext context(folder, quimbaro::LocalToday, settings);
    context.dayIndex = quimbaro::ProcessDayIndexPlace();
    quimbaro::MainWindow window(context);
    window.show();
    window.raise();
    window.activateWindow();
    app.exec();
    return 0;
}
