#include "settings/colour_choice.h"

#include <QColorDialog>
#include <QPoint>
#include <QWidget>

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

int32_t ToColourValue(const QColor& colour) {
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}

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
