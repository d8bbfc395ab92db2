#include "ical/book_import.h"

#include <libical/ical.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "book/append_records.h"
#include "book/double_booking.h"
#include "book/year_file.h"
#include "ical/parse_calendar.h"
#include "repeat/rules_file.h"

namespace quimbaro::ical {
namespace {

bool HoldsCalendar(icalcomponent* root) {
    if (!root) return false;
    const icalcomponent_kind kind = icalcomponent_isa(root);
    return kind == ICAL_VCALENDAR_COMPONENT || kind == ICAL_XROOT_COMPONENT || kind == ICAL_VEVENT_COMPONENT;
}

// The records grouped by year file, each group in the file's order.
std::map<std::string, std::vector<Appointment>> ByYearFile(const std::vector<Appointment>& records) {
    std::map<std::string, std::vector<Appointment>> groups;
    for (const Appointment& record : records) groups[YearFilePath("", ReadField(record.date)).string()].push_back(record);
    return groups;
}

YearOutcome Store(const std::filesystem::path& folder, const std::vector<Appointment>& records) {
    const BatchResult batch = AppendNewRecords(folder, records);
    if (batch.store.Stored()) {
        // Counted over the file as it is now; a file that cannot be read again counts none.
        const int clashes = CountSameTimeInYearFile(folder / batch.store.fileName, records);
        return {batch.added, batch.alreadyThere, 0, "", clashes};
    }
    return {0, 0, static_cast<int>(records.size()), batch.store.Reason()};
}

SeriesOutcome StoreSeries(const std::filesystem::path& folder, const std::vector<Series>& incoming) {
    SeriesOutcome outcome;
    if (incoming.empty()) return outcome;
    const std::string error = ChangeRules(folder, [&](std::vector<Series>& all) {
        for (const Series& one : incoming) {
            const bool there = std::any_of(all.begin(), all.end(), [&](const Series& s) { return s.uid == one.uid; });
            ++(there ? outcome.alreadyThere : outcome.added);
            if (!there) all.push_back(one);
        }
        return std::string();
    });
    if (!error.empty()) outcome = {0, 0, int(incoming.size()), error};
    return outcome;
}

std::string Line(int count, const std::string& what) { return "  " + std::to_string(count) + " " + what + "\n"; }

}  // namespace

ImportOptions MakeImportOptions(const CalendarDate& today, const DateRange& given) {
    ImportOptions options{given, given};
    if (!options.expansion.from)
        options.expansion.from = CalendarDate{int16_t(today.year - 1), today.month, int16_t(today.day)};
    if (!options.expansion.to)
        options.expansion.to = CalendarDate{int16_t(today.year + 2), today.month, int16_t(today.day)};
    return options;
}

bool ImportReport::AnythingRefused() const {
    if (notCalendar || Refused() || !mapped.refused.empty() || series.notStored > 0) return true;
    for (const auto& [name, year] : years) {
        if (year.notStored > 0) return true;
    }
    return false;
}

ImportReport ImportCalendarText(const std::filesystem::path& folder, std::string_view text,
                                const ImportOptions& options) {
    ImportReport report;
    report.tooLarge = text.size() > kMaxImportBytes;
    if (report.tooLarge) return report;
    const Component root = ParseCalendar(text);
    report.notCalendar = !HoldsCalendar(root.get());
    report.mapped = MapEvents(root.get(), options);
    if (report.Refused()) report.mapped.records.clear(), report.mapped.series.clear();
    report.series = StoreSeries(folder, report.mapped.series);
    report.mapped.series.clear();
    for (const auto& [fileName, records] : ByYearFile(report.mapped.records))
        report.years[fileName] = Store(folder, records);
    // Given back while the parsed tree is still held: freed after the tree's
    // many small pieces, this large block would have the allocator sort them
    // all at once.
    std::vector<Appointment>().swap(report.mapped.records);
    return report;
}

std::string ImportReportText(const ImportReport& report) {
    std::string text;
    if (report.tooLarge)
        return "El archivo pasa de " + std::to_string(kMaxImportBytes >> 20) +
               " MiB: no se importó nada (divídalo en archivos más pequeños).\n";
    if (report.mapped.overLimit)
        text += "El archivo daría más de " + std::to_string(kMaxImportRecords) +
                " citas: no se importó ninguna (acote el periodo con --from y --to o divida el archivo).\n";
    if (report.notCalendar) text += "El archivo no contiene ningún calendario iCalendar.\n";
    for (const auto& [fileName, year] : report.years) {
        text += fileName + ": " + std::to_string(year.added) + " citas añadidas, " +
                std::to_string(year.alreadyThere) + " ya estaban\n";
        if (year.clashes > 0) text += Line(year.clashes, "citas a una hora que otra cita del día ya tiene");
        if (!year.error.empty())
            text += "  no se guardaron " + std::to_string(year.notStored) + " citas: " + year.error +
                    " (el archivo quedó como estaba)\n";
    }
    const SeriesOutcome& s = report.series;
    if (s.added + s.alreadyThere + s.notStored > 0)
        text += std::string(kRulesFileName) + ": " + std::to_string(s.added) + " citas que se repiten añadidas, " +
                std::to_string(s.alreadyThere) + " ya estaban\n";
    if (!s.error.empty())
        text += "  no se guardaron " + std::to_string(s.notStored) + " citas que se repiten: " + s.error + "\n";
    const MappedEvents& m = report.mapped;
    for (const auto& [reason, count] : m.refused) text += "Rechazados " + std::to_string(count) + " eventos: " + reason + "\n";
    if (m.outsideRange > 0) text += Line(m.outsideRange, "citas fuera del periodo pedido, no importadas");
    if (m.withoutSummary > 0) text += Line(m.withoutSummary, "eventos sin resumen (SUMMARY): asunto vacío");
    if (m.unknownZones > 0)
        text += Line(m.unknownZones, "eventos con zona horaria (TZID) desconocida: hora tomada tal cual, sin zona");
    if (m.fixes.replaced > 0) text += Line(m.fixes.replaced, "textos con caracteres sin equivalente, cambiados por \"?\"");
    if (m.fixes.controls > 0) text += Line(m.fixes.controls, "textos con saltos de línea o caracteres de control, cambiados por espacios");
    if (m.fixes.cut > 0) text += Line(m.fixes.cut, "textos recortados al ancho del campo");
    if (text.empty()) text = "No había eventos que importar.\n";
    return text;
}

}  // namespace quimbaro::ical
