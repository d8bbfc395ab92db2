#include "dialogs/colour_choice.h"

#include <QColorDialog>
#include <QPoint>
#include <QWidget>

#include "surface/surface.h"

namespace quimbaro {

namespace {

const QColor kStartColour(128, 128, 128);
const QPoint kOffsetFromMainWindow(30, 30);

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

Colour ToColourValue(const QColor& colour) { return Rgb(colour.red(), colour.green(), colour.blue()); }

}  // namespace

CustomColours InitialCustomColours() {
    CustomColours colours;
    colours.fill(QColor(0, 0, 0));
    return colours;
}

ColourChoice ChooseUserColour(QWidget& mainWindow, CustomColours& customColours,
                              SettingsStore& store) {
    OfferCustomColours(customColours);
    QColorDialog dialog(kStartColour, &mainWindow);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.move(mainWindow.frameGeometry().topLeft() + kOffsetFromMainWindow);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    TakeBackCustomColours(customColours);
    if (!chosen) return ColourChoice::kNone;
    store.userColour = ToColourValue(dialog.selectedColor());
    return Settings("save", store) ? ColourChoice::kSaved : ColourChoice::kNotSaved;
}

}  // namespace quimbaro
