#pragma once
// The console's message box: titled "Programador", one OK button, no icon and
// no owner window.

#include <QString>

#include "text/messages.h"

namespace quimbaro {

inline constexpr const char* kMessageTitle = "Programador";

// Shows the box and waits until it is closed. The box blocks no other window:
// the main window goes on handling events meanwhile.
void ShowProgrammerMessage(const QString& text);

}  // namespace quimbaro
