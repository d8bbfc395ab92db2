#pragma once
// The texts Qt itself shows (dialog buttons, the colour dialog) in Spanish,
// as the rest of the interface, whatever the user's locale.

#include <QString>

class QCoreApplication;

namespace quimbaro {

// Installs Qt's own Spanish translation from folder (by default where Qt's
// translations are installed) on app. False when it cannot be loaded: Qt's
// texts then stay in English and the program runs on.
bool LoadQtSpanishTexts(QCoreApplication& app, const QString& folder = QString());

}  // namespace quimbaro
