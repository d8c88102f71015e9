#pragma once
// Real, minimal picture files in every format the client recognises, drawn from the
// picture's address so that two addresses give two different (but stable) files.
#include <string>
#include <string_view>

#include "catalogue.hpp"

namespace tessaly::sim {

std::string pictureBytes(PictureFormat format, std::string_view path);
std::string pictureContentType(PictureFormat format);

}  // namespace tessaly::sim
