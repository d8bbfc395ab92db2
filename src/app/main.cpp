// Start-up: settings first, then the window, run until it is closed.
#include <QApplication>
#include <QFile>
#include <filesystem>

#include "window/main_window.h"
#include "surface/fonts.h"
#include "dialogs/qt_spanish_texts.h"

namespace {

// The year files and the settings live beside the executable.
std::filesystem::path ProgramFolder() {
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quimbaro::RegisterFonts();
    quimbaro::LoadQtSpanishTexts(app);
    const std::filesystem::path folder = ProgramFolder();
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
