#pragma once
// The two CSV layouts the seller tool imports: 4.x (46 fields a row) and 5.x (44).
// Everything is GBK; every line ends in CR LF.
#include <string>
#include <string_view>

#include "package/item_record.hpp"

namespace tessaly {

// The header lines of a package, CR LF included.
std::string packageHeader(int packageVersion);

// One data row, CR LF included. Quoted fields have their quotes doubled (the description
// arrives with its quotes already doubled); an unquoted field whose value holds a comma,
// a quote, CR or LF is quoted too, so every row reads back with its full field count.
std::string packageRow(const ItemRecord& record, int packageVersion,
                       std::string_view mallItemHost);

// pictureList entries: a main picture at position p, and a property picture.
std::string mainPictureEntry(std::string_view name, int position, int packageVersion);
std::string propertyPictureEntry(std::string_view name, std::string_view properties,
                                 int packageVersion);

}  // namespace tessaly
