#include "app/list_file.hpp"

#include "support/gbk.hpp"

namespace tessaly {
namespace {

constexpr char kCtrlZ = '\x1A';

bool endsLine(char c) {
  return c == '\n' || c == '\0' || c == kCtrlZ;
}

void appendField(std::string& out, std::string_view field) {
  // A CR, LF, NUL or Ctrl-Z inside a field would end the line on reading and tear the row
  // in two; a blank keeps the row whole. Such bytes never stand second in a GBK
  // character, so replacing them cannot damage one.
  for (const char c : field) out += (endsLine(c) || c == '\r') ? ' ' : c;
}

// Splits one line at every "||" that starts at a character boundary. A run of an odd
// number of "|" gives its extra "|" to the field before it.
std::vector<std::string> splitFields(std::string_view line) {
  std::vector<std::string> fields(1);
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (isGbkLeadByte(static_cast<unsigned char>(c)) && i + 1 < line.size()) {
      fields.back().append(line.substr(i, 2));
      i += 2;
    } else if (c == '|') {
      std::size_t run = 0;
      while (i + run < line.size() && line[i + run] == '|') ++run;
      if (run % 2 == 1) fields.back() += '|';
      for (std::size_t n = 0; n < run / 2; ++n) fields.emplace_back();
      i += run;
    } else {
      fields.back() += c;
      ++i;
    }
  }
  return fields;
}

}  // namespace

std::string formatItemListFile(const std::vector<ItemRow>& rows) {
  std::string text;
  for (const ItemRow& row : rows) {
    appendField(text, row.title);
    text += "||";
    appendField(text, row.id);
    text += "||";
    appendField(text, row.price);
    text += "||";
    appendField(text, row.address);
    text += "\r\n";
  }
  return text;
}

std::vector<ItemRow> parseItemListFile(std::string_view bytes) {
  std::vector<ItemRow> rows;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = start;
    while (end < bytes.size() && !endsLine(bytes[end])) ++end;
    std::string_view line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string> fields = splitFields(line);
    if (fields.size() == 4)
      rows.push_back(
          {std::move(fields[0]), std::move(fields[2]), std::move(fields[3]), std::move(fields[1])});
    start = end + 1;
  }
  return rows;
}

WriteResult exportItemListFile(std::string_view gbkPath, const std::vector<ItemRow>& rows) {
  return writeWholeFileAtomically(gbkPath, formatItemListFile(rows));
}

std::optional<std::vector<ItemRow>> importItemListFile(std::string_view gbkPath) {
  const std::optional<std::string> bytes = readWholeFile(gbkPath);
  if (!bytes) return std::nullopt;
  return parseItemListFile(*bytes);
}

}  // namespace tessaly
