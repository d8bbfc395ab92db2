#pragma once
// The console's message box: titled "Programador", one OK button, no icon and
// no owner window.

#include <QString>

namespace quimbaro {

inline constexpr const char* kMessageTitle = "Programador";
inline constexpr const char* kBadEntryText = "No sabe introducir datos ...";
inline constexpr const char* kNotStoredText = "No se pudo guardar la cita: ";
inline constexpr const char* kNotLoadedText = "No se pudieron leer las citas del día: ";
inline constexpr const char* kBadReminderText =
    "Escriba aviso y los minutos de antelación, de 0 a 1440 (aviso 0 quita los avisos).";
inline constexpr const char* kSettingsNotSavedText = "No se pudo guardar la configuración en ";

// Shows the box and waits until it is closed. The box blocks no other window:
// the main window goes on handling events meanwhile.
void ShowProgrammerMessage(const QString& text);

}  // namespace quimbaro
