#pragma once
// The entry's lines about series: "cada [N] día|días|semana|semanas|mes|
// meses|año|años [hasta DD/MM/AAAA | N veces] <line>", and "borrar serie N",
// "editar serie N". Words in any capitals, accents as typed or not.

#include <optional>
#include <string_view>

#include "command/classify_line.h"

namespace quimbaro {

// Nothing when the line does not start with "cada"; else AppendSeries or
// BadSeries.
std::optional<ClassifiedLine> SeriesLine(std::string_view line);

// Nothing unless the line is "borrar serie" or "editar serie", alone or with a row.
std::optional<ClassifiedLine> SeriesRowCommand(std::string_view line);

}  // namespace quimbaro
