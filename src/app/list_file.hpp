#pragma once
// The item list file: the one form in which a gathered list outlives the program.
//
// GBK text, one item per line, fields joined by "||" in the order title, id, price,
// address (the id comes second, unlike in the list), no header, no quoting; every line
// ends with CR LF. Reading, a line ends at LF, at a NUL byte or at a Ctrl-Z byte, and a
// CR ending a line is dropped (LF-only files read alike). A line that does not split
// into exactly four fields is skipped.
//
// Separators are found at character boundaries only ("|" is also a GBK trail byte), and
// an odd run of "|" leaves its extra "|" to the field before it, so a title ending in
// "|" reads back as written. A field cannot hold "||"; line-end bytes (CR, LF, NUL,
// Ctrl-Z) inside a field are written as blanks so that they cannot split a row.
// Everything else survives a write and a read byte for byte, leading blanks of the
// first title included.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/item_list.hpp"
#include "support/file_io.hpp"

namespace tessaly {

// The file's bytes for these rows (empty for no rows).
std::string formatItemListFile(const std::vector<ItemRow>& rows);
// The rows a file's bytes hold, in file order.
std::vector<ItemRow> parseItemListFile(std::string_view bytes);

// Writes the rows to the file, replacing it in one step.
WriteResult exportItemListFile(std::string_view gbkPath, const std::vector<ItemRow>& rows);
// The rows of the file; nothing when it cannot be read.
std::optional<std::vector<ItemRow>> importItemListFile(std::string_view gbkPath);

}  // namespace tessaly
