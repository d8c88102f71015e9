#include "catalogue.hpp"

#include <algorithm>

namespace tessaly::sim {
namespace {

// A small, fixed generator: the catalogue must not change with the standard library.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
  template <typename T, std::size_t N>
  const T& pick(const T (&list)[N]) {
    return list[below(static_cast<int>(N))];
  }

 private:
  uint64_t state_;
};

const char* const kAdjectives[] = {"2012新款", "韩版", "修身", "纯棉", "加厚", "复古", "简约", "欧美",
                                   "日系", "气质", "宽松", "百搭", "正品", "特价"};
const char* const kGoods[] = {"连衣裙", "衬衫", "T恤", "牛仔裤", "风衣", "毛衣", "羽绒服", "卫衣",
                              "短裙", "外套", "针织衫", "雪纺衫", "打底裤", "马甲"};
const char* const kExtras[] = {"包邮", "送腰带", "清仓", "热卖", "限时折扣", "买二送一", "现货"};
// Title decorations the client has to clean up.
const char* const kDecorations[] = {" & 特惠", " 店主's 推荐", " *爆款*", " | 清仓",
                                    " <限量>", " 2.5折", " 真的?", "　全场", " 第3.8代"};
const char* const kPlaces[][2] = {{"浙江", "杭州"}, {"广东", "广州"}, {"上海", "上海"},
                                  {"江苏", "苏州"}, {"福建", "泉州"}, {"北京", "北京"}};
const char* const kColours[][2] = {{"28320", "白色"}, {"28341", "黑色"}, {"28326", "红色"},
                                   {"28338", "蓝色"}, {"28335", "绿色"}};
const char* const kSizes[][2] = {{"28314", "S"}, {"28315", "M"}, {"28316", "L"}, {"28317", "XL"}};

std::string money(int cents) {
  return std::to_string(cents / 100) + "." + (cents % 100 < 10 ? "0" : "") + std::to_string(cents % 100);
}

std::string twoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

}  // namespace

Catalogue::Catalogue(const CatalogueOptions& options) {
  Random random(options.seed);
  const char* const kShopNames[] = {"衣衣不舍", "潮流前线", "淑女屋", "小资生活", "米兰时装"};

  for (int k = 1; k <= std::max(1, options.keyPairs); ++k)
    keys_.push_back({std::to_string(12000000 + k * 37 + static_cast<int>(options.seed % 1000)),
                     "sim" + std::to_string(random.next() % 0xFFFFFFFFull) + "secret" + std::to_string(k)});

  for (int s = 1; s <= std::max(1, options.shops); ++s) {
    Shop shop;
    shop.number = s;
    shop.name = std::string(random.pick(kShopNames)) + std::to_string(s) + "号店";
    shop.style = static_cast<PageStyle>((s - 1) % 3);
    shop.perPage = 20 + random.below(21);
    shop.categories.push_back({std::to_string(100000 + s * 100 + 1), true, "上装"});
    shop.categories.push_back({std::to_string(100000 + s * 100 + 2), false, "下装"});

    for (int i = 0; i < options.itemsPerShop; ++i) {
      Item item;
      item.id = std::to_string(20000000000ll + static_cast<long long>(s) * 1000000 + i * 7 + 1);
      item.shop = s;
      item.category = i % 2;
      item.title = std::string(random.pick(kAdjectives)) + random.pick(kGoods) + " " +
                   random.pick(kExtras) + (i % 3 == 0 ? random.pick(kDecorations) : "");
      const int cents = 1990 + random.below(40000);
      item.price = money(cents);
      item.num = std::to_string(10 + random.below(200));
      item.cid = std::to_string(50000000 + random.below(9000));
      item.sellerCids = "," + shop.categories[static_cast<std::size_t>(item.category)].id + ",";
      const auto& place = kPlaces[random.below(6)];
      item.state = place[0];
      item.city = place[1];
      item.validThru = i % 2 ? "7" : "14";
      const char* const kPayers[] = {"seller", "buyer", ""};
      item.freightPayer = kPayers[i % 3];
      item.postFee = money(500 + random.below(10) * 100);
      item.expressFee = money(1000 + random.below(10) * 100);
      item.emsFee = money(2000 + random.below(10) * 100);
      const int day = 1 + random.below(28);
      item.listTime = "2012-0" + std::to_string(1 + random.below(9)) + "-" + twoDigits(day) + " " +
                      twoDigits(random.below(24)) + ":" + twoDigits(random.below(60)) + ":" +
                      twoDigits(random.below(60));
      item.modified = "2012-10-" + twoDigits(day) + " 09:30:00";
      const char* const kStatus[] = {"onsale", "instock", "onsale", ""};
      item.approveStatus = kStatus[i % 4];
      item.hasWarranty = i % 2 ? "true" : "false";
      item.inputPids = "1632501";
      item.inputStr = "A" + std::to_string(1000 + i) + "#";
      item.outerId = "SIM-" + std::to_string(s) + "-" + std::to_string(i);

      // SKUs: colour x size for most items, none for every fifth.
      const int colours = i % 5 == 4 ? 0 : 1 + random.below(2);
      const int sizes = colours ? 1 + random.below(2) : 0;
      std::string alias;
      for (int c = 0; c < colours; ++c) {
        const auto& colour = kColours[(i + c) % 5];
        item.props += std::string("1627207:") + colour[0] + ";";
        alias += std::string("1627207:") + colour[0] + ":" + colour[1] + (c ? "款" : "") + ";";
        for (int z = 0; z < sizes; ++z) {
          const auto& size = kSizes[(i + z) % 4];
          Sku sku;
          sku.price = money(cents + z * 500);
          sku.quantity = std::to_string(5 + random.below(50));
          sku.outerId = (c + z) % 2 ? item.outerId + "-" + colour[1] + size[1] : "";
          sku.properties = std::string("1627207:") + colour[0] + ";20509:" + size[0];
          item.skus.push_back(sku);
        }
      }
      item.props = "20000:" + std::to_string(3275069 + i) + ";" + item.props + "20509:28314";
      if (i % 6 == 5) item.props.clear();
      if (!alias.empty()) alias.pop_back();
      item.propertyAlias = alias;

      const char* const kMainTypes[] = {"jpg", "png", "gif", "bmp"};
      for (int p = 0; p < 4; ++p)
        item.mainPictures.push_back("/taobao/bao/uploaded/i" + std::to_string(p) + "/" + item.id +
                                    "_" + std::to_string(p) + "." + kMainTypes[(p + i) % 4]);
      for (int p = 0; p < std::min(colours, 2); ++p)
        item.propertyPictures.push_back(
            {"/taobao/bao/prop/" + item.id + "_c" + std::to_string(p) + ".png",
             std::string("1627207:") + kColours[(i + p) % 5][0]});

      // The description: picture tags in both letter cases, a background picture, a
      // picture on another host, one whose address holds Chinese characters, commas,
      // quotes, a non-breaking space and CR LF line ends.
      item.descHtml =
          "<p style=\"text-align:center\"><IMG src=\"http://{IMG}/taobao/imgextra/" + item.id +
          "_d1.jpg\" align=\"absmiddle\"></p>\r\n<p>纯棉面料,舒适透气,\"做工精细\"&nbsp;欢迎选购！</p>\r\n"
          "<table background=\"http://{IMG}/taobao/imgextra/" + item.id + "_bg.gif\"><tr><td>"
          "尺码: S,M,L</td></tr></table>\r\n<p><img src=\"http://{IMG}/taobao/imgextra/红色_" +
          item.id + ".png\" /><img alt=\"ext\" src=\"http://{IMG}/ext/" + item.id + "_x.jpg\"></p>";
      // Some descriptions point at a picture that is gone.
      if (i % 5 == 2)
        item.descHtml += "<p><img src=\"http://{IMG}/taobao/missing/" + item.id + "_m.jpg\"></p>";
      item.descAsCdata = i % 4 == 3;
      byId_[item.id] = items_.size();
      shop.items.push_back(static_cast<int>(items_.size()));
      items_.push_back(std::move(item));
    }
    shops_.push_back(std::move(shop));
  }
}

const Shop* Catalogue::shop(int number) const {
  if (number < 1 || number > static_cast<int>(shops_.size())) return nullptr;
  return &shops_[static_cast<std::size_t>(number) - 1];
}

const Item* Catalogue::item(const std::string& id) const {
  const auto it = byId_.find(id);
  return it == byId_.end() ? nullptr : &items_[it->second];
}

std::vector<const Item*> Catalogue::listing(const Shop& shop, const Category* category) const {
  std::vector<const Item*> out;
  for (int index : shop.items) {
    const Item& item = items_[static_cast<std::size_t>(index)];
    if (!category || &shop.categories[static_cast<std::size_t>(item.category)] == category)
      out.push_back(&item);
  }
  return out;
}

const Category* Catalogue::category(const Shop& shop, const std::string& id) const {
  for (const auto& c : shop.categories)
    if (c.id == id) return &c;
  return nullptr;
}

}  // namespace tessaly::sim
