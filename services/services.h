// Our implementations of the four outside components.
#pragma once

namespace zolt::services {

// Puts the four classes in the class table under their CLSIDs (replacing
// whatever is there).
void register_services();

}  // namespace zolt::services
