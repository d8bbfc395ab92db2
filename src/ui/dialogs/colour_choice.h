#pragma once
// The "color" command: Qt's colour dialog, owned by the main window.

#include <QColor>
#include <array>

#include "settings/settings.h"

class QWidget;

namespace quimbaro {

// Custom colours offered by the dialog: all black at start, kept across uses
// within a run, never saved.
using CustomColours = std::array<QColor, 16>;
CustomColours InitialCustomColours();

enum class ColourChoice {
    kNone,      // cancelled or closed: nothing changed
    kSaved,     // colour stored and settings written
    kNotSaved,  // colour stored in memory, but the settings file could not be written
};

// Opens the dialog with its outer top-left corner at the main window's + (30, 30), starting
// on RGB(128, 128, 128). On OK stores the colour in store.userColour and saves
// the settings; Cancel or closing changes nothing. The custom colours are
// handed to the dialog and taken back from it either way.
ColourChoice ChooseUserColour(QWidget& mainWindow, CustomColours& customColours,
                              SettingsStore& store);

}  // namespace quimbaro
