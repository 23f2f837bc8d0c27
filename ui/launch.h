#pragma once

#include "game/form1.h"

namespace kelo {

// The window's load handler: the line break, the bevel of the selection box, animation on,
// then a new game.
void Form_Load(Form1& form);

}  // namespace kelo
