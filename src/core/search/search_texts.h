#pragma once
// What a search tells the user, in the window's boxes and on the command
// line alike (UTF-8).

#include <string>

#include "book/year_file.h"

namespace quimbaro {

inline constexpr const char* kNoMatchText = "Ninguna cita contiene: ";  // + the text searched
inline constexpr const char* kNoLaterMatchText = "No hay más citas encontradas después de este día.";
inline constexpr const char* kNoEarlierMatchText = "No hay citas encontradas antes de este día.";
inline constexpr const char* kNoSearchText = "No hay ninguna búsqueda: escriba buscar y el texto.";
inline constexpr const char* kSkippedFileText = "La búsqueda siguió sin este archivo: ";  // + Reason()

inline std::string SkippedFileText(const StoreResult& file) { return kSkippedFileText + file.Reason(); }

}  // namespace quimbaro
