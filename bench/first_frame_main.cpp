// The program's own start-up, up to its first painted frame: the main window
// built exactly as the program builds it, shown, and left as soon as it has
// painted. Its data folder is the folder it lives in, as for the program.
#include <QApplication>
#include <QFile>
#include <filesystem>

#include "window/main_window.h"
#include "quit_on_first_paint.h"
#include "surface/fonts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quimbaro::RegisterFonts();
    const std::filesystem::path folder =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    quimbaro::SettingsStore settings{.file = folder / quimbaro::kSettingsFileName};
    quimbaro::LoadSettings(settings);
    quimbaro::ShellContext context(folder, quimbaro::LocalToday, settings);
    context.dayIndex = quimbaro::ProcessDayIndexPlace();
    quimbaro::MainWindow window(context);
    quimbaro::bench::QuitOnFirstPaint quitter(window);
    window.show();
    window.raise();
    window.activateWindow();
    app.exec();
    return 0;
}
