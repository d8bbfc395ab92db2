#include "dialogs/qt_spanish_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace quimbaro {

bool LoadQtSpanishTexts(QCoreApplication& app, const QString& folder) {
    const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_es"), from) || !app.installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

}  // namespace quimbaro
