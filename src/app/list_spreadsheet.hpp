#pragma once
// The spreadsheet view of the item list, written as an .xlsx workbook.
#include <string>
#include <string_view>
#include <vector>

#include "app/list_file.hpp"
#include "support/file_io.hpp"

namespace tessaly {

// run directory + "/temp.xlsx": rewritten by every spreadsheet view, never deleted.
std::string listSpreadsheetPath(std::string_view runDirectory);

// Writes the list as a workbook with one sheet: headers "宝贝名称", "宝贝价格", "宝贝地址"
// in row 1, then title, price and address of each row (the id is left out), every cell
// in the text format so that prices and long numbers keep their exact text.
WriteResult writeListSpreadsheet(std::string_view gbkPath, const std::vector<ItemRow>& rows);

}  // namespace tessaly
