#include "surface/fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QString>

namespace quimbaro {

namespace {

// fontconfig does not search this folder, so the faces are loaded by hand.
constexpr const char* kWineFontFolder = "/usr/share/wine/fonts/";
constexpr const char* kWineFonts[] = {"tahoma.ttf", "tahomabd.ttf", "ms_sans_serif.ttf"};

void LoadFontFile(const QString& path) {
    if (QFile::exists(path)) QFontDatabase::addApplicationFont(path);
}

}  // namespace

void RegisterFonts() {
    for (const char* file : kWineFonts) LoadFontFile(QString(kWineFontFolder) + file);
    // Metric-compatible or close faces for whatever is still missing.
    QFont::insertSubstitutions("Courier New", {"Liberation Mono", "DejaVu Sans Mono", "Monospace"});
    QFont::insertSubstitutions("Tahoma", {"DejaVu Sans", "Sans Serif"});
    QFont::insertSubstitutions("MS Sans Serif", {"Tahoma", "DejaVu Sans", "Sans Serif"});
}

}  // namespace quimbaro
