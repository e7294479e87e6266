#pragma once

namespace quillmoor {

// Twips to pixels at 96 dots per inch, to the nearest pixel; Qt scales
// further on denser screens.
constexpr int twips(int value) { return (value + 7) / 15; }

} // namespace quillmoor
