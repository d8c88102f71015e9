#include "app/list_spreadsheet.hpp"

#include <xlsxwriter.h>

#include "app/endpoints.hpp"
#include "support/gbk.hpp"

namespace tessaly {

std::string listSpreadsheetPath(std::string_view runDirectory) {
  std::string path(runDirectory);
  if (path.empty() || path.back() != kPathSeparator) path += kPathSeparator;
  return path + "temp.xlsx";
}

WriteResult writeListSpreadsheet(std::string_view gbkPath, const std::vector<ItemRow>& rows) {
  const std::string fsPath = fileSystemPath(gbkPath);
  lxw_workbook* workbook = workbook_new(fsPath.c_str());
  if (!workbook) return {false, std::string(gbkPath) + ": " + gbk("无法创建工作簿")};
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
  // "@" is the text number format: ids, prices and long numbers stay exactly as typed.
  lxw_format* text = workbook_add_format(workbook);
  format_set_num_format(text, "@");

  // The workbook wants UTF-8; every text of the list is GBK.
  lxw_error firstError = LXW_NO_ERROR;
  auto put = [&](lxw_row_t row, lxw_col_t column, std::string_view gbkText) {
    const lxw_error error =
        worksheet_write_string(sheet, row, column, gbkToUtf8(gbkText).c_str(), text);
    if (firstError == LXW_NO_ERROR) firstError = error;
  };
  put(0, 0, gbk("宝贝名称"));
  put(0, 1, gbk("宝贝价格"));
  put(0, 2, gbk("宝贝地址"));
  lxw_row_t row = 1;
  for (const ItemRow& item : rows) {
    put(row, 0, item.title);
    put(row, 1, item.price);
    put(row, 2, item.address);
    ++row;
  }

  // Closing writes the file; it also frees the workbook when writing fails.
  const lxw_error closed = workbook_close(workbook);
  const lxw_error error = firstError != LXW_NO_ERROR ? firstError : closed;
  if (error != LXW_NO_ERROR) return {false, std::string(gbkPath) + ": " + lxw_strerror(error)};
  return {true, {}};
}

}  // namespace tessaly
