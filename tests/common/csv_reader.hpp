#pragma once
// A plain RFC 4180 reader for checking packages the way an importing program reads them.
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::testing {

using CsvRecord = std::vector<std::string>;

// Records separated by CR LF (or LF); fields by ","; quoted fields may hold commas,
// doubled quotes and line breaks.
inline std::vector<CsvRecord> readCsv(std::string_view text) {
  std::vector<CsvRecord> records;
  CsvRecord record;
  std::string field;
  bool quoted = false;
  bool any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    any = true;
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      record.push_back(std::move(field));
      field.clear();
    } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
      if (c == '\r') ++i;
      record.push_back(std::move(field));
      field.clear();
      records.push_back(std::move(record));
      record.clear();
      any = false;
    } else {
      field += c;
    }
  }
  if (any) {
    record.push_back(std::move(field));
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace tessaly::testing
