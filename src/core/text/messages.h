#pragma once
// Texts the window's boxes and the command line share, in Spanish (UTF-8).

#include <string>

namespace quimbaro {

inline constexpr const char* kBadEntryText = "No sabe introducir datos ...";
inline constexpr const char* kNotStoredText = "No se pudo guardar la cita: ";
inline constexpr const char* kNotLoadedText = "No se pudieron leer las citas del día: ";
inline constexpr const char* kBadReminderText =
    "Escriba aviso y los minutos de antelación, de 0 a 1440 (aviso 0 quita los avisos).";
inline constexpr const char* kSettingsNotSavedText = "No se pudo guardar la configuración en ";
inline constexpr const char* kNoSyncFolderText =
    "Para sincronizar falta la carpeta: escriba carpeta=... en la sección [Sincronizar] de ";
inline constexpr const char* kNotDeletedText = "No se pudo borrar la cita: ";
inline constexpr const char* kNotEditedText = "No se pudo editar la cita: ";
inline constexpr const char* kRowsRedrawnText =
    "La tabla ya muestra las citas de ahora: compruebe el número de fila y pulse Intro otra vez.";
inline constexpr const char* kNotUndoneText = "No se pudo deshacer el último cambio: ";
inline constexpr const char* kBadSeriesText =
    "Una cita que se repite se escribe: cada [N] día|semana|mes|año [hasta DD/MM/AAAA | N veces] y la cita, "
    "por ejemplo: cada semana 08/12/2026|10:00|600111222|Ana|Revisión";
inline constexpr const char* kNotSeriesRowText = "Esa fila no es de una serie: ";
inline constexpr const char* kNotPrintedText = "No se imprimió nada: hay días cuyas citas no se pudieron leer.";
inline constexpr const char* kNoWeekText = "No se puede mostrar la semana de ese día.";
inline constexpr const char* kNothingToUndoText = "No hay ningún cambio que deshacer";
inline constexpr const char* kDataFolderUnusableText = "No se puede usar la carpeta de datos ";

// An errno value as the user reads it, in Spanish: the system's own texts
// follow the locale, which may be English; a rare cause is given by number.
std::string SystemReason(int systemError);

}  // namespace quimbaro
