#include "dialogs/colour_choice.h"

#include <QColorDialog>
#include <QPoint>
#include <QSettings>
#include <QWidget>

#include "surface/surface.h"

namespace quimbaro {

namespace {

const QColor kStartColour(128, 128, 128);
const QPoint kOffsetFromMainWindow(30, 30);

// Qt's dialog reads its custom colours from Qt's own settings file in the
// user's configuration folder when first used, and writes them there when it
// closes. Ours last for the run and nothing is written outside the data
// folder, so Qt's settings are sent to a place where no file can be made.
void KeepQtSettingsOffDisk() {
    const QString nowhere = QStringLiteral("/dev/null");
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        for (QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
            QSettings::setPath(format, scope, nowhere);
}

// Qt keeps the dialog's custom colours process-wide; ours live in the table
// the main window owns, so they are handed over around every use.
void OfferCustomColours(const CustomColours& customColours) {
    for (int i = 0; i < static_cast<int>(customColours.size()); ++i) {
        QColorDialog::setCustomColor(i, customColours[i]);
    }
}

void TakeBackCustomColours(CustomColours& customColours) {
    for (int i = 0; i < static_cast<int>(customColours.size()); ++i) {
        customColours[i] = QColorDialog::customColor(i);
    }
}

// A window manager frames the dialog only when it shows it, so the outer
// corner cannot be placed beforehand (Qt takes a position given before that
// for the frame or for the inside depending on whether the frame happens to
// be known yet). The inside is placed instead, against the main window's
// inside: with the same frame on both windows the outer corners are as far
// apart.
void PlaceDialog(QWidget& dialog, const QWidget& mainWindow) {
    dialog.adjustSize();
    dialog.setGeometry(QRect(mainWindow.geometry().topLeft() + kOffsetFromMainWindow, dialog.size()));
}

Colour ToColourValue(const QColor& colour) { return Rgb(colour.red(), colour.green(), colour.blue()); }

}  // namespace

CustomColours InitialCustomColours() {
    CustomColours colours;
    colours.fill(QColor(0, 0, 0));
    return colours;
}

ColourChoice ChooseUserColour(QWidget& mainWindow, CustomColours& customColours,
                              SettingsStore& store) {
    KeepQtSettingsOffDisk();
    OfferCustomColours(customColours);
    QColorDialog dialog(kStartColour, &mainWindow);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    PlaceDialog(dialog, mainWindow);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    TakeBackCustomColours(customColours);
    if (!chosen) return ColourChoice::kNone;
    store.userColour = ToColourValue(dialog.selectedColor());
    return SaveSettings(store) ? ColourChoice::kSaved : ColourChoice::kNotSaved;
}

}  // namespace quimbaro
