#pragma once
// The components of a parsed calendar, walked without recursion: a file may
// nest components hundreds of thousands deep.

#include <libical/ical.h>

#include <vector>

namespace quimbaro::ical {

// Every component of that kind at or under root, in file order; the walk
// does not look inside the components it returns.
std::vector<icalcomponent*> ComponentsOf(icalcomponent* root, icalcomponent_kind kind);

// Every component at or under root, in file order.
std::vector<icalcomponent*> AllComponents(icalcomponent* root);

}  // namespace quimbaro::ical
