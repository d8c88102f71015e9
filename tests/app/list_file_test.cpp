#include "app/list_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/list_spreadsheet.hpp"
#include "common/temp_folder.hpp"
#include "support/gbk.hpp"

namespace tessaly {
namespace {

using testing::TempFolder;

ItemRow row(std::string title, std::string price, std::string address, std::string id) {
  return {std::move(title), std::move(price), std::move(address), std::move(id)};
}

TEST(ItemListFile, WritesTitleIdPriceAddressWithCrLf) {
  EXPECT_EQ(formatItemListFile({row("A", "2.00", "x", "1"), row("B", "3", "y", "22")}),
            "A||1||2.00||x\r\nB||22||3||y\r\n");
  EXPECT_EQ(formatItemListFile({}), "");
}

TEST(ItemListFile, RoundTripIsLosslessLeadingBlanksAndAwkwardBytesIncluded) {
  const std::vector<ItemRow> rows = {
      row(gbk("  　首行的空格 "), "12.50", "http://item.localhost/item.htm?id=1", "1"),
      // GBK characters whose second byte is "|" (B0 7C), next to a separator too.
      row("\xB0\x7C"
          "a\xB0\x7C",
          "1", "x", "2"),
      row(gbk("新款|"), "", "y", "3"),  // a title ending in "|" and an empty price
      row(gbk("|竖线|开头"), "0.01", "z", "4"),
  };
  ASSERT_EQ(gbkToUtf8("\xB0\x7C").find("\xEF\xBF\xBD"), std::string::npos);  // a real character

  EXPECT_EQ(parseItemListFile(formatItemListFile(rows)), rows);

  TempFolder temp;
  const std::string path = temp.path() + gbk("/宝贝列表.txt");
  ASSERT_TRUE(exportItemListFile(path, rows).ok);
  EXPECT_EQ(importItemListFile(path), rows);
}

TEST(ItemListFile, ReadingSkipsLinesWithoutExactlyFourFields) {
  struct Case {
    std::string bytes;
    std::vector<ItemRow> rows;
  };
  const ItemRow a = row("A", "2.00", "x", "1");
  const Case cases[] = {
      {"A||1||2.00||x", {a}},
      {"A||1||2.00\r\nA||1||2.00||x\r\n", {a}},        // three fields
      {"A||B||1||2.00||x\r\nA||1||2.00||x\r\n", {a}},  // five: "||" in the title
      {"A||1||2.00||x\nA||1||2.00||x\n", {a, a}},      // LF only
      {"\r\n\r\nA||1||2.00||x\r\n\n", {a}},            // empty lines
      {std::string("A||1||2.00||x\0A||1||2.00||x\x1A"
                   "A||1||2.00||x",
                   41),
       {a, a, a}},
      {"A||1||2.00||x\rA||1||2.00||x\r\n", {}},  // a lone CR ends no line
      {"||||||", {row("", "", "", "")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(parseItemListFile(c.bytes), c.rows);
  }
}

TEST(ItemListFile, LineBreaksInsideAFieldCannotTearARow) {
  const std::vector<ItemRow> written = {row("A\r\nB", "1", "x\n", "9")};
  EXPECT_EQ(parseItemListFile(formatItemListFile(written)),
            std::vector<ItemRow>{row("A  B", "1", "x ", "9")});
}

TEST(ItemListFile, ImportOfAMissingFileIsNothing) {
  EXPECT_EQ(importItemListFile("/nonexistent/list.txt"), std::nullopt);
}

TEST(ListSpreadsheet, WritesAnXlsxWorkbookInTheRunDirectory) {
  TempFolder temp;
  const std::string runDirectory = temp.path() + gbk("/运行");
  ASSERT_TRUE(makeDirectories(runDirectory));
  const std::string path = listSpreadsheetPath(runDirectory);
  EXPECT_EQ(path, runDirectory + "/temp.xlsx");

  ASSERT_TRUE(writeListSpreadsheet(
                  path, {row(gbk("宝贝"), "1.00", "http://x/1", "1"), row("B", "2", "y", "2")})
                  .ok);

  const std::string bytes =
      testing::readFileBytes(std::filesystem::path(temp.path()) / "运行" / "temp.xlsx");
  EXPECT_EQ(bytes.substr(0, 2), "PK");
  EXPECT_NE(bytes.find("xl/worksheets/sheet1.xml"), std::string::npos);

  const WriteResult failed = writeListSpreadsheet(temp.path() + "/missing/temp.xlsx", {});
  EXPECT_FALSE(failed.ok);
  EXPECT_FALSE(failed.error.empty());
}

}  // namespace
}  // namespace tessaly
