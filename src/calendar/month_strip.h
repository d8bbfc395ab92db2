#pragma once
// The strip of seven month calendars drawn on CalendarPanel.

#include <cstdint>

#include "surface/surface.h"

namespace quimbaro {

class GraphicControl;

// Clears the panel and draws the seven months around the shown day, the
// shown month in the middle, the shown day in userColour.
void DrawCalendarPanel(Surface& surface, GraphicControl& panel, int16_t year, int16_t month,
                       int16_t day, Colour userColour);

}  // namespace quimbaro
