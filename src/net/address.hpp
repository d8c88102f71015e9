#pragma once
// How an address is cut into host, port and path for the wire. Only "http://" addresses
// are meant; anything else is read from its first character.
#include <string>
#include <string_view>

namespace tessaly {

// The text after the first "http://" (case matters; from the start when there is none)
// up to the next "/" or the end; unless `keepPort`, cut before its first ":"; lower case.
std::string hostOfAddress(std::string_view address, bool keepPort);
// The number after the ":" of the host with its port; 80 when there is no ":".
int portOfAddress(std::string_view address);
// From the first "/" at or after the host (case ignored) to the end, query included;
// "/" when there is none.
std::string pathOfAddress(std::string_view address);

// A request target as it may stand on the wire: blanks, control bytes, bytes of 0x80 and
// above, '"', '<' and '>' percent-encoded; everything else (including "%") unchanged.
std::string encodeRequestTarget(std::string_view target);

}  // namespace tessaly
