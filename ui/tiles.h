#pragma once

#include <QIcon>
#include <QImage>
#include <array>

namespace kelo {

// The five tile images, indexed by tile code, from the program's resources.
std::array<QImage, 5> TileImages();
QIcon WindowIcon();

}  // namespace kelo
