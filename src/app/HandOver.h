#pragma once

#include <optional>

namespace quillmoor {

// The hidden option that starts the program as the process that hands
// over what waited when the window closed: the pid and remaining grace
// time of the launcher still running follow it, then the pace between
// pages where there is one, and the addresses come
// on standard input, one a line.
inline constexpr const char* kHandOverOption = "--hand-over";

// When the program was started as the process that hands over the pages
// still waiting when its window closed, does that without a window and
// answers the exit status; otherwise answers nothing and touches nothing.
// Called first thing in main, before anything needs a display.
std::optional<int> runHandOverMode(int& argc, char** argv);

} // namespace quillmoor
