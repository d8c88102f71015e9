#include "package/item_record.hpp"

#include <cmath>
#include <cstdlib>

#include "support/gbk.hpp"
#include "support/text.hpp"
#include "support/xml_document.hpp"

namespace tessaly {
namespace {

const std::string kItem = "item_get_response/item/";

std::string progressText(const ItemProgress& p) {
  return std::to_string(p.item) + "/" + std::to_string(p.total);
}

// Quotes inside the description are held doubled, ready for its quoted CSV field; text
// put into it must follow the same rule.
std::string doubledQuotes(std::string_view text) { return replaceAll(text, "\"", "\"\""); }

std::string applyReplacements(std::string text, const RecordSettings& settings,
                              bool quotesDoubled) {
  for (const auto& [from, to] : settings.replacements) {
    if (from.empty()) continue;
    text = quotesDoubled ? replaceAll(text, doubledQuotes(from), doubledQuotes(to))
                         : replaceAll(text, from, to);
  }
  return text;
}

// Rounds half away from zero to `places` decimals. The value is first taken at the 13
// significant digits it will be written with, so 2.675 rounds to 2.68 although its
// binary value lies just below.
double roundHalfAway(double value, int places) {
  const double shown = std::strtod(formatDecimal(value).c_str(), nullptr);
  const double scale = std::pow(10.0, places);
  const double scaled = std::fabs(shown) * scale;
  double whole = std::floor(scaled);
  if (scaled - whole >= 0.5 - 1e-9) whole += 1.0;
  return std::copysign(whole / scale, shown);
}

// The decimals setting when it is a whole number from 0 to 6, else -1.
int decimalPlaces(std::string_view text) {
  const std::string t = trimBlanks(text);
  if (t.size() != 1 || t[0] < '0' || t[0] > '6') return -1;
  return t[0] - '0';
}

}  // namespace

std::string cleanTitle(std::string_view title) {
  std::string t = replaceAll(title, "&amp;", " ");
  t = replaceAll(t, "amp;", "");
  t = replaceAll(t, "&apos;", "'");
  for (const char* c : {"*", "|", "<", ">", ".", "?"}) t = replaceAll(t, c, " ");
  return t;
}

std::string decodeDescription(std::string_view desc) {
  static const std::string kFullWidthComma = gbk("，");
  std::string d = doubledQuotes(desc);
  d = replaceAll(d, "&quot;", "\"\"");
  d = replaceAll(d, ",", kFullWidthComma);
  d = replaceAll(d, "&lt;", "<");
  d = replaceAll(d, "&gt;", ">");
  d = replaceAll(d, "&amp;nbsp;", " ");
  d = replaceAll(d, "\r\n", "");
  return d;
}

std::string adjustPriceText(std::string_view price, const RecordSettings& settings) {
  double adjusted = readDecimal(price) * readDecimal(settings.pricePercent) / 100;
  if (int places = decimalPlaces(settings.priceDecimals); places >= 0)
    adjusted = roundHalfAway(adjusted, places);
  return formatDecimal(adjusted);
}

std::string mapFreightPayer(std::string_view value, int packageVersion) {
  if (value == "seller") return packageVersion == 4 ? "2" : "1";
  if (value == "buyer") return packageVersion == 4 ? "1" : "2";
  if (value.empty()) return "0";
  return std::string(value);
}

std::string mapApproveStatus(std::string_view value) {
  if (value.empty()) return "100";
  if (value == "onsale") return "200";
  return std::string(value);
}

std::string mapWarranty(std::string_view value) { return value == "true" ? "1" : "0"; }

std::string terminateProps(std::string_view props) {
  // Appended unless the last ";" is the first character (so ";x" stays as it is).
  const std::size_t last = props.rfind(';');
  std::string out(props);
  if (last != 0) out += ';';
  return out;
}

void assembleItemRecord(const XmlDocument& answer, const std::string& itemId,
                        const RecordSettings& settings, const ItemProgress& progress,
                        const LogLine& log, ItemRecord& record) {
  const std::string worker = gbk("线程：") + std::to_string(progress.worker);
  const std::string at = progressText(progress);
  static const std::string kBasicStart = gbk("  开始获取 第：");
  static const std::string kBasicDone = gbk("  获取成功 第：");
  static const std::string kBasicTail = gbk(" 个宝贝   基本信息！\r\n");
  static const std::string kDescDone = gbk("  成功获取 第：");
  static const std::string kDescTail = gbk("  个宝贝   描述信息！\r\n");

  auto field = [&](const char* name) { return answer.textAt(kItem + name); };

  record = ItemRecord{};
  log(worker + kBasicStart + at + kBasicTail);
  record.itemId = itemId;
  record.title = applyReplacements(cleanTitle(field("title")), settings, false);
  record.cid = field("cid");
  record.seller_cids = field("seller_cids");
  record.state = field("location/state");
  record.city = field("location/city");
  record.price = field("price");
  if (settings.adjustPrice) record.price = adjustPriceText(record.price, settings);
  record.num = field("num");
  record.valid_thru = field("valid_thru");
  record.freight_payer = mapFreightPayer(field("freight_payer"), settings.packageVersion);
  record.ems_fee = field("ems_fee");
  record.express_fee = field("express_fee");
  record.post_fee = field("post_fee");
  record.list_time = field("list_time");
  record.props = terminateProps(field("props"));
  record.modified = field("modified");
  record.approve_status = mapApproveStatus(field("approve_status"));
  record.has_warranty = mapWarranty(field("has_warranty"));

  const int skuCount = answer.childCount(kItem + "skus");
  double quantitySum = 0;
  for (int k = 1; k <= skuCount; ++k) {
    const std::string sku = kItem + "skus/@" + std::to_string(k) + "/";
    std::string price = answer.textAt(sku + "price");
    std::string quantity = answer.textAt(sku + "quantity");
    if (settings.adjustPrice) price = adjustPriceText(price, settings);
    if (settings.unifyStock) quantity = settings.stockValue;
    quantitySum += readDecimal(quantity);
    std::string entry = price + ":" + quantity + ":" + answer.textAt(sku + "outer_id") + ":" +
                        answer.textAt(sku + "properties") + ";";
    const std::size_t first = entry.find_first_not_of(' ');
    record.skus += entry.substr(first == std::string::npos ? entry.size() : first);
  }
  record.skus += ";";
  // The item's own stock follows the setting too, so the package never offers more (or
  // fewer) pieces than its SKUs hold together.
  if (settings.unifyStock)
    record.num = skuCount == 0 ? settings.stockValue : formatDecimal(quantitySum);

  record.input_pids = field("input_pids");
  record.input_str = field("input_str");
  record.outer_id = field("outer_id");
  record.property_alias = field("property_alias") + ";";
  log(worker + kBasicDone + at + kBasicTail);

  log(worker + kBasicStart + at + kDescTail);
  record.desc = applyReplacements(decodeDescription(field("desc")), settings, true);
  log(worker + kDescDone + at + kDescTail);
}

}  // namespace tessaly
