#include "command/row_commands.h"

#include <algorithm>
#include <utility>

namespace quimbaro {

int RowsShown(const DayList& list) { return std::clamp(list.kept, 0, kDaySlots); }

std::string RowProblem(int row, int rowsShown, bool dayLoaded) {
    if (!dayLoaded) return "No hay ningún día a la vista: muestre un día antes de borrar o editar una cita";
    if (row < 1) return "Escriba el número de fila tras la orden, por ejemplo: borrar 3";
    const std::string number = std::to_string(row);
    if (row > kDaySlots) return "No hay fila " + number + ": las filas van de 1 a 29";
    if (row > rowsShown) return "La fila " + number + " está vacía";
    return "";
}

RowPick PickRow(const DayList& list, bool dayLoaded, int row) {
    std::string problem = RowProblem(row, RowsShown(list), dayLoaded);
    if (!problem.empty()) return {std::nullopt, std::move(problem)};
    return {RowRecord(list, row), ""};
}

std::string AppointmentLineOf(const Appointment& record) {
    return ReadField(record.date) + '|' + ReadField(record.time) + '|' + ReadField(record.phone) + '|' +
           ReadField(record.name) + '|' + ReadField(record.subject);
}

}  // namespace quimbaro
