#include "catalogue.hpp"

#include <algorithm>
#include <cstdio>

#include "sim_random.hpp"
#include "support/gbk.hpp"

namespace tessaly::sim {
namespace {

const std::vector<std::string> kShopPrefixes = {"小米粒", "暖暖", "布衣坊", "青禾", "木子",
                                                "橙意", "南山", "棉麻记", "小桔灯", "花间"};
const std::vector<std::string> kShopTrades = {"服饰", "家居", "数码配件", "母婴", "户外",
                                              "茶叶", "百货", "鞋包"};
const std::vector<std::string> kShopSuffixes = {"小铺", "专营店", "工作室", "精品店",
                                                "旗舰店", "杂货铺"};
const std::vector<std::string> kNicks = {"nuannan", "buyifang", "qinghe", "muzi", "chengyi",
                                         "nanshan", "xiaojudeng", "huajian"};
const std::vector<std::string> kCategoryNames = {
    "新品上架", "热卖推荐", "特价清仓", "春夏新款", "秋冬精选", "配件专区", "套装组合", "会员专享"};
const std::vector<std::string> kAdjectives = {"新款", "韩版", "修身", "加厚", "纯棉",
                                              "复古", "简约", "百搭", "宽松", "轻薄",
                                              "保暖", "手工", "原创", "日系", "中长款"};
const std::vector<std::string> kNouns = {"连衣裙", "T恤",   "衬衫",   "牛仔裤",   "羊毛衫",
                                         "外套",   "帆布鞋", "双肩包", "保温杯",   "茶具套装",
                                         "手机壳", "台灯",   "抱枕",   "围巾",     "雪纺衫"};
const std::vector<std::string> kTails = {"包邮", "正品", "特价", "实拍", "现货", "清仓", "送礼"};
const std::vector<int> kCids = {50000671, 162104, 50010850, 50011740, 121434, 50012010};
const std::vector<std::pair<std::string, std::string>> kLocations = {
    {"浙江", "杭州"}, {"广东", "广州"}, {"广东", "深圳"}, {"上海", "上海"},
    {"北京", "北京"}, {"江苏", "苏州"}, {"福建", "泉州"}};
struct NamedValue {
  const char* name;
  int vid;
};
const std::vector<NamedValue> kColours = {
    {"黑色", 28341}, {"白色", 28320}, {"红色", 28326}, {"深蓝色", 28340}, {"灰色", 28334}};
const std::vector<NamedValue> kSizes = {{"S", 28314}, {"M", 28315}, {"L", 28316}, {"XL", 28317}};
const std::vector<PictureFormat> kFormatCycle = {
    PictureFormat::Jpeg, PictureFormat::Png,  PictureFormat::Gif89, PictureFormat::Bmp,
    PictureFormat::Jpeg, PictureFormat::Tiff, PictureFormat::Gif87, PictureFormat::Ico};

std::string extensionOf(PictureFormat format) {
  switch (format) {
    case PictureFormat::Jpeg: return "jpg";
    case PictureFormat::Png: return "png";
    case PictureFormat::Gif89:
    case PictureFormat::Gif87: return "gif";
    case PictureFormat::Bmp: return "bmp";
    case PictureFormat::Tiff: return "tif";
    case PictureFormat::Ico: return "ico";
  }
  return "jpg";
}

std::string money(int yuan, int cents) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d.%02d", yuan, cents);
  return buf;
}

std::string dateTime(SimRandom& r, int year, int dayOffset = 0) {
  char buf[32];
  const int month = r.between(1, 12);
  const int day = std::min(28, r.between(1, 21) + dayOffset);
  std::snprintf(buf, sizeof buf, "%d-%02d-%02d %02d:%02d:%02d", year, month, day,
                r.between(0, 23), r.between(0, 59), r.between(0, 59));
  return buf;
}

// A title that exercises the client's clean-up: markup characters, entities, a decimal
// number, a full-width space. Never a double quote (it would end an attribute).
std::string makeTitle(SimRandom& r, int index) {
  std::string a = r.pick(kAdjectives), b = r.pick(kAdjectives), noun = r.pick(kNouns);
  while (b == a) b = r.pick(kAdjectives);
  std::string tail = r.pick(kTails);
  std::string decimal = std::to_string(r.between(1, 9)) + "." + std::to_string(r.between(1, 9));
  switch (index % 8) {
    case 0: return "2014" + a + " " + b + noun + " " + tail;
    case 1: return a + noun + " & " + r.pick(kNouns) + " 两件套 " + decimal + "折";
    case 2: return "Lady's " + a + b + noun + " " + tail;
    case 3: return "爆款*限量 " + a + noun + " " + tail;
    case 4: return a + noun + " 正品|假一赔十 " + decimal + "米";
    case 5: return "<新品> " + b + noun + " " + tail + " " + decimal + "L";
    case 6: return a + b + noun + " 还在等什么? " + tail;
    default: return a + "　" + b + noun + "　" + tail + " No." + std::to_string(index + 1);
  }
}

}  // namespace

std::string_view styleName(PageStyle style) {
  switch (style) {
    case PageStyle::Plain: return "普通";
    case PageStyle::Showcase: return "旺铺";
    case PageStyle::Street: return "店铺街";
  }
  return "普通";
}

std::string priceAsShown(PageStyle style, std::string_view price) {
  return style == PageStyle::Showcase ? std::string(price) + " " : std::string(price);
}

std::string htmlEscape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string xmlEscape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\'') out += "&apos;";
    else out += htmlEscape(std::string_view(&c, 1));
  }
  return out;
}

Catalogue::Catalogue(const CatalogueOptions& options, const PageQuirks& quirks)
    : options_(options), quirks_(quirks) {
  SimRandom keys = SimRandom::derived(options_.seed, 0xA99);
  for (int k = 0; k < std::max(0, options_.keyPairs); ++k) {
    KeyPair pair;
    pair.appKey = "21" + std::to_string(keys.between(100000, 999999));
    pair.appSecret = keys.hex(32);
    keys_.push_back(pair);
  }
  for (int n = 1; n <= std::max(0, options_.shops); ++n) buildShop(n);
}

void Catalogue::buildShop(int number) {
  SimRandom r = SimRandom::derived(options_.seed, 0x5409, number);
  Shop shop;
  shop.number = number;
  shop.name = r.pick(kShopPrefixes) + r.pick(kShopTrades) + r.pick(kShopSuffixes);
  shop.nick = r.pick(kNicks) + std::to_string(r.between(1980, 2013));
  shop.style = static_cast<PageStyle>((number - 1) % 3);
  shop.perPage = r.between(20, 40);
  const int categoryCount = std::max(1, options_.categoriesPerShop);
  for (int c = 0; c < categoryCount; ++c) {
    Category made;
    do {
      made.id = std::to_string(r.between(100000000, 999999999));
    } while (category(shop, made.id) != nullptr);
    made.byScid = c % 2 == 0;
    made.name = kCategoryNames[c % kCategoryNames.size()];
    if (c >= static_cast<int>(kCategoryNames.size()))
      made.name += std::to_string(c / kCategoryNames.size() + 1);
    shop.categories.push_back(made);
  }
  for (int i = 0; i < std::max(0, options_.itemsPerShop); ++i) {
    const int at = static_cast<int>(items_.size());
    shop.items.push_back(at);
    shop.categories[i % categoryCount].items.push_back(at);
    items_.push_back(buildItem(shop, i));
    itemById_[items_.back().id] = at;
  }
  shops_.push_back(std::move(shop));
}

Item Catalogue::buildItem(const Shop& shop, int index) {
  SimRandom r = SimRandom::derived(options_.seed, 0x17E4, shop.number, index);
  Item item;
  item.shop = shop.number;
  item.category = index % static_cast<int>(shop.categories.size());
  item.index = index;
  item.id = std::to_string(100000000000ull +
                           (static_cast<std::uint64_t>(shop.number) * 100000 + index) * 1000 +
                           r.between(0, 999));
  item.title = makeTitle(r, index);
  const int yuan = r.between(9, 899);
  item.price = money(yuan, r.pick(std::vector<int>{0, 90, 50, 99, 80}));
  item.num = std::to_string(r.between(1, 500));
  item.cid = std::to_string(r.pick(kCids));
  const Category& category = shop.categories[index % shop.categories.size()];
  item.sellerCids = "," + category.id + ",";
  const auto& [state, city] = r.pick(kLocations);
  item.state = state;
  item.city = city;
  item.validThru = index % 2 ? "14" : "7";
  const bool sellerPays = index % 3 == 0;
  item.freightPayer = sellerPays ? "seller" : "buyer";
  item.postFee = sellerPays ? "0.00" : money(r.between(5, 12), 0);
  item.expressFee = sellerPays ? "0.00" : money(r.between(10, 15), 0);
  item.emsFee = sellerPays ? "0.00" : money(r.between(20, 30), 0);
  item.postageId = sellerPays ? "0" : std::to_string(r.between(100000000, 999999999));
  item.listTime = dateTime(r, 2014);
  item.delistTime = dateTime(r, 2014, 7);
  item.modified = dateTime(r, 2014);
  item.approveStatus = index % 11 == 10 ? "instock" : "onsale";
  item.hasWarranty = index % 2 ? "false" : "true";
  item.hasDiscount = r.chance(50) ? "true" : "false";
  item.hasInvoice = r.chance(30) ? "true" : "false";
  item.hasShowcase = r.chance(20) ? "true" : "false";
  item.outerId = index % 7 == 3 ? "" : "TS" + std::to_string(shop.number) + "-" + std::to_string(1000 + index);

  // Sales properties: colours times sizes, for three items in four.
  std::vector<NamedValue> colours, sizes;
  if (index % 4 != 0) {
    const int colourCount = r.between(1, 3), sizeCount = r.between(1, 2);
    const int firstColour = r.between(0, static_cast<int>(kColours.size()) - 1);
    for (int c = 0; c < colourCount; ++c) colours.push_back(kColours[(firstColour + c) % kColours.size()]);
    for (int s = 0; s < sizeCount; ++s) sizes.push_back(kSizes[(index + s) % kSizes.size()]);
  }
  item.props = "20000:" + std::to_string(r.between(3000000, 3999999));
  for (const auto& c : colours) item.props += ";1627207:" + std::to_string(c.vid);
  for (const auto& s : sizes) item.props += ";20509:" + std::to_string(s.vid);
  if (index % 9 == 8) item.props += ";";
  if (!colours.empty()) item.propertyAlias = "1627207:" + std::to_string(colours[0].vid) + ":经典" + colours[0].name;
  if (index % 2) {
    item.inputPids = "13021751";
    item.inputStr = std::to_string(r.between(1000, 9999)) + "#";
  }
  int skuNumber = 0;
  for (const auto& c : colours) {
    for (const auto& s : sizes) {
      Sku sku;
      sku.skuId = std::to_string(r.between(10000000, 99999999)) + std::to_string(skuNumber);
      sku.price = skuNumber % 2 ? money(yuan + 10, 0) : item.price;
      sku.quantity = std::to_string(r.between(0, 200));
      if (skuNumber % 2) sku.outerId = item.outerId.empty() ? "" : item.outerId + "-" + std::to_string(skuNumber);
      sku.properties = "1627207:" + std::to_string(c.vid) + ";20509:" + std::to_string(s.vid);
      sku.propertiesName = "1627207:" + std::to_string(c.vid) + ":颜色分类:" + c.name +
                           ";20509:" + std::to_string(s.vid) + ":尺码:" + s.name;
      item.skus.push_back(sku);
      ++skuNumber;
    }
  }

  // Pictures: every recognised format turns up across the catalogue.
  constexpr int kMainPictures = 4;
  for (int k = 0; k < kMainPictures; ++k) {
    if (k == kMainPictures - 1 && index % 17 == 9) {  // one that is gone
      item.mainPictures.push_back("/missing/bao/uploaded/" + item.id + "_" + std::to_string(k + 1) + ".jpg");
      break;
    }
    const PictureFormat format = kFormatCycle[(index + k) % kFormatCycle.size()];
    std::string path = "/bao/uploaded/i" + std::to_string(1 + (index + k) % 4) + "/" + item.id +
                       "_" + std::to_string(k + 1) + "." + extensionOf(format);
    pictures_[path] = format;
    item.mainPictures.push_back(path);
  }
  for (const auto& c : colours) {
    std::string path = "/bao/uploaded/i2/" + item.id + "_c" + std::to_string(c.vid) + ".jpg";
    pictures_[path] = PictureFormat::Jpeg;
    item.propertyPictures.push_back({path, "1627207:" + std::to_string(c.vid)});
  }

  // The description: upper- and lower-case picture tags, a background address, ASCII
  // commas, quotation marks, &nbsp;, CR LF line ends and one lone LF, a picture address
  // with Chinese characters and one with an escaped ampersand in its query.
  const std::string host = "http://" + std::string(kImageHostToken);
  const std::string dir = "/imgextra/taobao/" + item.id + "/";
  const std::string chinesePath = "/imgextra/taobao/细节图/" + item.id + "_1.png";
  pictures_[dir + "d1.jpg"] = PictureFormat::Jpeg;
  pictures_[dir + "bg.gif"] = PictureFormat::Gif89;
  pictures_[dir + "d2.bmp"] = PictureFormat::Bmp;
  pictures_[utf8ToGbk(chinesePath)] = PictureFormat::Png;
  std::string& d = item.descHtml;
  d += "<p align=\"center\"><IMG src=\"" + host + dir + "d1.jpg\" align=\"absmiddle\" border=\"0\"></p>\r\n";
  d += "<table width=\"750\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\" background=\"" +
       host + dir + "bg.gif\">\r\n<tr><td style=\"padding:10px;font-size:14px;\">\r\n";
  d += "<p>宝贝名称：" + htmlEscape(item.title) + "&nbsp;&nbsp;货号：" + item.outerId + "</p>\r\n";
  d += "<p>面料成分：棉95%, 氨纶5%, 手感柔软, 不起球</p>\r\n";
  d += "<p>\"" + shop.name + "\"承诺：正品保证, 七天无理由退换</p>\r\n";
  d += "<p>发货地：" + item.state + item.city + ", 下午4点前付款当天发货</p>\n";
  d += "</td></tr></table>\r\n";
  d += "<p><img src=\"" + host + chinesePath + "\" width=\"750\"></p>\r\n";
  d += "<p><img alt=\"细节\" src=\"" + host + dir + "d2.bmp?t=" + std::to_string(index) +
       "&amp;v=2\"></p>\r\n";
  if (index % 6 == 2)  // the same picture twice
    d += "<p><IMG src=\"" + host + dir + "d1.jpg\"></p>\r\n";
  // A picture that is not on the marketplace's own picture space.
  pictures_["/ext/" + item.id + "_x.jpg"] = PictureFormat::Jpeg;
  d += "<p><img alt=\"ext\" src=\"" + host + "/ext/" + item.id + "_x.jpg\"></p>\r\n";
  if (index % 5 == 2)  // a picture that is gone
    d += "<p><img src=\"" + host + "/taobao/missing/" + item.id + "_m.jpg\"></p>\r\n";
  if (index % 13 == 6)
    d += "<p><img src=\"" + host + "/imgextra/taobao/empty/" + item.id + "_e.jpg\"></p>\r\n";
  if (index % 13 == 7)
    d += "<p><img src=\"" + host + "/slow" + dir + "d1.jpg\"></p>\r\n";
  d += "<p style=\"color:#999\">温馨提示：图片均为实物拍摄, 因显示器不同可能略有色差。</p>";
  item.descAsCdata = index % 5 == 4;
  return item;
}

const Shop* Catalogue::shop(int number) const {
  if (number < 1 || number > static_cast<int>(shops_.size())) return nullptr;
  return &shops_[number - 1];
}

const Item* Catalogue::item(std::string_view id) const {
  const auto it = itemById_.find(std::string(id));
  return it == itemById_.end() ? nullptr : &items_[it->second];
}

const Category* Catalogue::category(const Shop& shop, std::string_view id) const {
  for (const auto& c : shop.categories)
    if (c.id == id) return &c;
  return nullptr;
}

std::vector<const Item*> Catalogue::listing(const Shop& shop, const Category* category) const {
  std::vector<const Item*> out;
  for (int i : category ? category->items : shop.items) out.push_back(&items_[i]);
  return out;
}

int Catalogue::pageCount(const Shop& shop, const Category* category) const {
  const int n = static_cast<int>(category ? category->items.size() : shop.items.size());
  return (n + shop.perPage - 1) / shop.perPage;
}

std::vector<int> Catalogue::pageItems(const Shop& shop, const Category* category,
                                      int page) const {
  const std::vector<int>& all = category ? category->items : shop.items;
  std::vector<int> out;
  if (page < 1 || page > pageCount(shop, category)) return out;
  const std::size_t first = static_cast<std::size_t>(page - 1) * shop.perPage;
  const std::size_t last = std::min(all.size(), first + shop.perPage);
  if (!category && page == 2 && shop.number == quirks_.duplicateShop) out.push_back(all.front());
  out.insert(out.end(), all.begin() + first, all.begin() + last);
  return out;
}

int Catalogue::missingPriceAt(const Shop& shop, const Category* category, int page) const {
  // The gap sits inside the page, so every price after it belongs to the next item.
  if (category || shop.number != quirks_.shortPriceShop) return -1;
  return static_cast<int>(pageItems(shop, category, page).size()) / 2;
}

bool Catalogue::isOversized(const Shop& shop, const Category* category, int page) const {
  return !category && page >= 1 && shop.number == quirks_.oversizedShop;
}

std::vector<ExpectedRow> Catalogue::expectedRows(const Shop& shop,
                                                 const Category* category) const {
  std::vector<ExpectedRow> rows;
  for (int p = 1; p <= pageCount(shop, category); ++p) {
    const std::vector<int> onPage = pageItems(shop, category, p);
    const int missing = missingPriceAt(shop, category, p);
    std::vector<std::string> prices;  // prices pair with items by order, as the crawler pairs them
    for (int k = 0; k < static_cast<int>(onPage.size()); ++k)
      if (k != missing) prices.push_back(priceAsShown(shop.style, items_[onPage[k]].price));
    for (std::size_t k = 0; k < onPage.size(); ++k) {
      const Item& item = items_[onPage[k]];
      rows.push_back({utf8ToGbk(htmlEscape(item.title)),
                      k < prices.size() ? utf8ToGbk(prices[k]) : std::string(), item.id});
    }
  }
  return rows;
}

bool Catalogue::findPicture(std::string_view path, PictureFormat& format) const {
  auto it = pictures_.find(path);
  if (it == pictures_.end()) {
    // Listing pages ask for thumbnails: "<picture>_160x160.jpg".
    const std::size_t cut = path.rfind('_');
    if (cut == std::string_view::npos || !path.ends_with(".jpg")) return false;
    const std::string_view size = path.substr(cut + 1, path.size() - cut - 5);
    if (size.find('x') == std::string_view::npos ||
        size.find_first_not_of("0123456789x") != std::string_view::npos)
      return false;
    it = pictures_.find(path.substr(0, cut));
    if (it == pictures_.end()) return false;
  }
  format = it->second;
  return true;
}

}  // namespace tessaly::sim
