#pragma once

#include <optional>

namespace quillmoor {

// When the program was started as the process that hands over the pages
// still waiting when its window closed, does that without a window and
// answers the exit status; otherwise answers nothing and touches nothing.
// Called first thing in main, before anything needs a display.
std::optional<int> runHandOverMode(int& argc, char** argv);

} // namespace quillmoor
