#pragma once
// Small but real picture files in the formats the client recognises.
#include <string>
#include <string_view>

namespace tessaly::sim {

// The bytes of a picture of the given type ("jpg", "png", "gif", "bmp"); `seed` varies
// the pixel colour so that pictures of different items differ. Empty for other types.
std::string pictureBytes(std::string_view type, unsigned seed);

}  // namespace tessaly::sim
