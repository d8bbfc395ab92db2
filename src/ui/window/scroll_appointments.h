#pragma once
// ScrollAppointments: the keyboard handler in front of AppointmentsArea's own
// event handling. Six navigation keys move the scroll offset and redraw the
// area from the canvas; every event then goes on to the control.

#include <QObject>
#include <cstdint>
#include <functional>

namespace quimbaro {

inline constexpr int32_t kArrowStep = 10;
inline constexpr int32_t kPageStep = 100;
inline constexpr int32_t kLowestScrollOffset = -900;

// Applies the key (a Qt::Key) to the offset, lowest the bound below. Each bound is tested before the
// step, so the offset may pass it by less than a step. Returns true when the
// key acts and the area must be redrawn (Home and End always act).
bool StepScrollOffset(int key, int32_t& offset, int32_t lowest = kLowestScrollOffset);

class ScrollAppointments : public QObject {
    Q_OBJECT
public:
    // redraw runs after the offset has moved; lowest is read at each key.
    ScrollAppointments(QObject* parent, int32_t& offset, const int32_t& lowest, std::function<void()> redraw);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int32_t& offset_;
    const int32_t& lowest_;
    std::function<void()> redraw_;
};

}  // namespace quimbaro
