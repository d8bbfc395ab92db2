#pragma once

namespace quimbaro {

// Makes the faces the program names ("Tahoma", "MS Sans Serif", "Courier
// New") render: loads them from the installed font packages where they are
// present and maps them to metric-compatible faces otherwise. Call once after
// the QApplication exists.
void RegisterFonts();

}  // namespace quimbaro
