#include "ui/keys.h"

#include <Qt>

#include "game/rules.h"

namespace kelo {

std::int16_t VirtualKeyOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Space: return kKeySpace;
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Down: return kKeyDown;
    default: return kKeyOther;
    }
}

}  // namespace kelo
