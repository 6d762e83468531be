// Records the statements the engine runs, on every connection of the
// process, with their bound parameters written in as literals.
#pragma once

#include <string>
#include <vector>

namespace zolt::bench::capture {

// Has every connection opened from now on report its statements; call it
// before the first connection is opened.
void install();

// Records from start() until stop(), which answers the statements in the
// order they began to run.
void start();
std::vector<std::string> stop();

}  // namespace zolt::bench::capture
