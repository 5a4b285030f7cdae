// The small pictures on the countdown window's buttons, drawn by the program
// itself at the size the screen's dpi asks for: a green check mark for
// "execute now" and a red cross for "cancel", each with a greyed form for the
// disabled button.
#pragma once

#include <cstdint>
#include <vector>

namespace velmaro {

enum class ButtonGlyph { Check, Cross };

// size x size pixels, rows top-down, each 0xAARRGGBB with the colour
// premultiplied by its alpha, as alpha-blended image lists take them.
std::vector<std::uint32_t> DrawButtonGlyph(ButtonGlyph glyph, int size, bool greyed);

}  // namespace velmaro
