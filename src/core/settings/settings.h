#pragma once
// The settings file "Configuracion.ini" beside the program: the user's colour,
// the sort direction of the day, how many minutes ahead reminders come and
// whether storing at a time already taken is told.

#include <cstdint>
#include <filesystem>
#include <string>

#include "book/sort_order.h"

namespace quimbaro {

inline constexpr int32_t kDefaultUserColour = 55295;  // RGB(255, 215, 0)
inline constexpr SortOrder kDefaultSortOrder = SortOrder::EarliestFirst;
inline constexpr int16_t kDefaultReminderMinutes = 10;
inline constexpr int16_t kMaxReminderMinutes = 1440;  // a whole day
inline constexpr int16_t kMaxSyncMinutes = 1440;
inline constexpr const char* kSettingsFileName = "Configuracion.ini";

// The colour a userColour paints: a value that is no 24-bit colour (an INI
// edited by hand) gives the default.
inline constexpr int32_t ShownUserColour(int32_t userColour) {
    return userColour >= 0 && userColour <= 0xFFFFFF ? userColour : kDefaultUserColour;
}

struct SettingsStore {
    std::filesystem::path file;  // full path of Configuracion.ini
    int32_t userColour = 0;
    SortOrder sortOrder{};
    int16_t reminderMinutes = 0;  // 0 = no reminders
    // [Sincronizar]: read only, the user writes them.
    std::string syncFolder{};   // carpeta: the vdir folder; empty: no sync set up
    std::string syncCommand{};  // orden: what syncs that folder with the server; empty: none
    int16_t syncMinutes = 0;  // minutos: how often the window syncs by itself; 0: only when asked
    bool warnDoubleBooking = true;  // [Citas] avisar_solapes; only read, never written
};

// Reads the file into the store: defaults for what is missing, 0 for text
// without a number, a fraction rounded to the nearest integer, a number beyond
// the field's range clamped to its nearest end (70000 for the sort order gives
// 32767); the reminder minutes are kept within 0..1440. Never creates the file.
void LoadSettings(SettingsStore& store);
// Writes the colour and the order, and the reminder minutes when the file has
// them already or they are not the default, atomically, keeping every other
// section, key and comment. False when the file could not be written.
bool SaveSettings(const SettingsStore& store);

}  // namespace quimbaro
