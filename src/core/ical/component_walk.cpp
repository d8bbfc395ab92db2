#include "ical/component_walk.h"

#include <algorithm>

namespace quimbaro::ical {
namespace {

// Depth first with a stack of our own; stop says whether to keep a component
// and leave what is under it.
template <typename Stop>
std::vector<icalcomponent*> Walk(icalcomponent* root, Stop stop) {
    std::vector<icalcomponent*> found, pending;
    if (root) pending.push_back(root);
    while (!pending.empty()) {
        icalcomponent* component = pending.back();
        pending.pop_back();
        if (stop(component)) {
            found.push_back(component);
            continue;
        }
        const std::size_t first = pending.size();
        for (icalcomponent* child = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT); child;
             child = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
            pending.push_back(child);
        std::reverse(pending.begin() + std::ptrdiff_t(first), pending.end());  // first child on top
    }
    return found;
}

}  // namespace

std::vector<icalcomponent*> ComponentsOf(icalcomponent* root, icalcomponent_kind kind) {
    return Walk(root, [kind](icalcomponent* c) { return icalcomponent_isa(c) == kind; });
}

std::vector<icalcomponent*> AllComponents(icalcomponent* root) {
    std::vector<icalcomponent*> all;
    Walk(root, [&all](icalcomponent* c) {
        all.push_back(c);
        return false;
    });
    return all;
}

}  // namespace quimbaro::ical
