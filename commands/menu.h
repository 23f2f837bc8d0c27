#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/form1.h"

namespace kelo {

using Handler = void (*)(Form1&);

// One entry of a menu; a caption of "-" is a separator line.
struct MenuItem {
    std::string name;
    std::string caption;   // "&" marks the access key
    std::string shortcut;  // in the portable form "Ctrl+N", "F1"; empty for none
    std::optional<Setting> checkMark;  // the setting an item's check mark holds
    Handler handler = nullptr;
};

struct Menu {
    std::string name;
    std::string caption;
    std::vector<MenuItem> items;
};

// The menu bar, in display order.
const std::vector<Menu>& MenuBar();

}  // namespace kelo
