#pragma once

#include <optional>

namespace quillmoor {

// Reads the command line before any window or display is needed. Answers
// the exit status when the program ends here: 0 after --help or --version,
// 2 for an option it does not know, 1 when there is no display to open the
// window on (each said on standard output or standard error). Answers
// nothing when the window is to open.
std::optional<int> handleCommandLine(int argc, char* argv[]);

} // namespace quillmoor
