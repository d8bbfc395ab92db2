// Prints the days a series comes on over ten years from its first day, one
// DD/MM/YYYY a line, as OccurrencesIn gives them; a day on which OccursOn
// answers otherwise is printed as "MISMATCH day" instead, so that both paths
// are held to the reference. Arguments: the first day, the rule, the removed days.
#include <cstdio>
#include <set>

#include "repeat/occurrences.h"

int main(int argc, char** argv) {
    using namespace quimbaro;
    if (argc < 3) return 2;
    Series series{"dump", MakeAppointment(argv[1], "10:00", "", "", ""), argv[2], {}};
    for (int i = 3; i < argc; ++i) series.excluded.push_back(*ParseDayKey(argv[i]));
    std::sort(series.excluded.begin(), series.excluded.end());
    const CalendarDate first = *FirstDay(series);
    const CalendarDate last = *DaysAfter({int16_t(first.year + 10), first.month, 1}, -1);
    const Occurrences found = OccurrencesIn(series, first, last);
    if (!found.complete) std::puts("INCOMPLETE");
    const std::set<CalendarDate> days(found.days.begin(), found.days.end());
    for (CalendarDate day = first; !(last < day); day = *DaysAfter(day, 1)) {
        if (OccursOn(series, day) != (days.count(day) == 1)) std::printf("MISMATCH %s\n", DayKey(day).c_str());
    }
    for (const CalendarDate& day : found.days) std::printf("%s\n", DayKey(day).c_str());
    return 0;
}
