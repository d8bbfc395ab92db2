#include "calendar/wall_clock.h"

#include <QDateTime>

namespace quimbaro {

WallTime LocalWallTime() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate day = now.date();
    return {{static_cast<int16_t>(day.year()), static_cast<int16_t>(day.month()), static_cast<int16_t>(day.day())},
            now.time().msecsSinceStartOfDay() / 1000};
}

}  // namespace quimbaro
