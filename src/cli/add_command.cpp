// add: stores one appointment given as the line the window's entry takes,
// or with --every a series that repeats it, as the entry's "cada" line does.
#include "book/year_file.h"
#include "day_argument.h"
#include "double_booking_note.h"
#include "entry_line.h"
#include "repeat/series_change.h"
#include "subcommands.h"
#include "text/messages.h"

namespace quimbaro::cli {
namespace {

const QString kEvery = QStringLiteral("every"), kInterval = QStringLiteral("interval"),
              kUntil = QStringLiteral("until"), kCount = QStringLiteral("count");

std::optional<Frequency> FrequencyNamed(const QString& name) {
    static const std::pair<const char*, Frequency> kNames[] = {
        {"day", Frequency::Daily}, {"week", Frequency::Weekly}, {"month", Frequency::Monthly}, {"year", Frequency::Yearly}};
    for (const auto& [word, frequency] : kNames)
        if (name == QLatin1String(word)) return frequency;
    return std::nullopt;
}

// A whole number 1..max, or 0.
int Bounded(const QString& text, int max) {
    bool number = false;
    const int value = text.toInt(&number);
    return number && !text.startsWith(u'+') && value >= 1 && value <= max ? value : 0;
}

// The repetition the options ask for; nothing once the reason is on stderr.
std::optional<Repetition> RepetitionGiven(const QCommandLineParser& parser, const CalendarDate& first,
                                          CliContext& context, int& status) {
    const auto refuse = [&](const QString& message) {
        status = Fail(context, kExitUsage, message);
        return std::nullopt;
    };
    Repetition repetition;
    const auto frequency = FrequencyNamed(parser.value(kEvery));
    if (!frequency) return refuse(QStringLiteral("--every espera day, week, month o year"));
    repetition.frequency = *frequency;
    if (parser.isSet(kInterval) && !(repetition.interval = Bounded(parser.value(kInterval), kMaxInterval)))
        return refuse(QStringLiteral("--interval espera un número de 1 a %1").arg(kMaxInterval));
    if (parser.isSet(kUntil) && parser.isSet(kCount)) return refuse(QStringLiteral("--until y --count no van juntos"));
    if (parser.isSet(kCount) && !(repetition.count = Bounded(parser.value(kCount), kMaxCount)))
        return refuse(QStringLiteral("--count espera un número de 1 a %1").arg(kMaxCount));
    if (parser.isSet(kUntil)) {
        const auto until = DayNamed(parser.value(kUntil), context.today);
        if (!until || until->date < first) return refuse(QStringLiteral("--until espera una fecha desde la de la cita"));
        repetition.until = until->date;
    }
    return repetition;
}

int RunAdd(const QCommandLineParser& parser, const QStringList& args, CliContext& context) {
    if (args.size() != 1)
        return Fail(context, kExitUsage,
                    QStringLiteral("add espera una sola línea: 'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto'"));
    const auto classified = EntryAppointment(args[0]);
    if (!classified) return Fail(context, kExitUsage, QString::fromUtf8(kBadEntryText));
    if (!parser.isSet(kEvery)) {
        if (parser.isSet(kInterval) || parser.isSet(kUntil) || parser.isSet(kCount))
            return Fail(context, kExitUsage, QStringLiteral("--interval, --until y --count van con --every"));
        const StoreResult stored = AppendAppointment(context.dataFolder, classified->appointment);
        if (stored.Stored()) NoteDoubleBooking(context, classified->appointment);
        return ChangeStatus(context, kNotStoredText, stored);
    }
    int status = kExitOk;
    const auto repetition = RepetitionGiven(parser, *ParseDayKey(ReadField(classified->appointment.date)), context, status);
    if (!repetition) return status;
    return SeriesChangeStatus(context, kNotStoredText, AddSeries(context.dataFolder, classified->appointment, *repetition));
}

void AddOptions(QCommandLineParser& parser) {
    parser.addOption({kEvery, QString(), QStringLiteral("day|week|month|year")});
    parser.addOption({kInterval, QString(), QStringLiteral("N")});
    parser.addOption({kUntil, QString(), QStringLiteral("FECHA")});
    parser.addOption({kCount, QString(), QStringLiteral("N")});
}

}  // namespace

Subcommand AddCommand() {
    return {
        .name = QStringLiteral("add"),
        .synopsis = QStringLiteral("add 'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto' "
                                   "[--every day|week|month|year [--interval N] [--until FECHA | --count N]]"),
        .description = QStringLiteral("guarda una cita, escrita como en la línea de la ventana; con --every, "
                                      "una cita que se repite"),
        .addOptions = AddOptions,
        .run = RunAdd,
    };
}

}  // namespace quimbaro::cli
