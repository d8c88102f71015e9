#pragma once
// The simulated marketplace's content: shops, their categories and items, the key pairs
// of the vendor's key list and every picture address, all drawn from one seed. Texts are
// kept in UTF-8 here and converted to GBK (pages) or escaped into UTF-8 XML (API answers)
// when a response is formed.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessaly::sim {

struct SimOptions {
  std::uint64_t seed = 1;
  int shops = 3;
  int itemsPerShop = 60;
  int categoriesPerShop = 3;
  int keyPairs = 3;
  // Application keys (appkey values) the gateway answers with "App Call Limited".
  std::vector<std::string> failingKeys;
  int latencyMs = 0;        // added to every response
  int slowPictureMs = 250;  // delay of the pictures under /slow/
  // Page quirks, each naming a shop by number (0: none).
  int oversizedPageShop = 0;   // page 1 over 512000 bytes, items between 下一页 and 到第
  int missingPriceShop = 0;    // page 1 shows one price fewer than items
  int duplicateItemShop = 0;   // the last item of page 1 is shown again on page 2
};

// The three markups a shop's result pages come in.
enum class PageStyle { Plain, Wangpu, Street };
// The style's name as shop owners know it ("普通", "旺铺", "店铺街"), UTF-8.
std::string_view styleName(PageStyle style);

enum class PictureFormat { Jpeg, Png, Gif89, Gif87, Bmp, Tiff, Ico };

struct SimSku {
  std::string skuId, price, quantity, outerId, properties, propertiesName;
};

struct SimPropImg {
  std::string path, properties;
};

struct SimItem {
  std::string id;
  int shop = 0;   // 1-based
  int index = 0;  // 0-based within its shop
  std::string title, price, num, cid, sellerCids, state, city, validThru, freightPayer;
  std::string emsFee, expressFee, postFee, listTime, delistTime, modified, props;
  std::string approveStatus, hasWarranty, hasDiscount, hasInvoice, hasShowcase;
  std::string inputPids, inputStr, outerId, propertyAlias, postageId;
  std::vector<SimSku> skus;
  std::vector<std::string> itemImgs;  // picture paths on the picture host
  std::vector<SimPropImg> propImgs;
  // Description HTML; kImageHostToken stands where the picture host goes.
  std::string desc;
  bool descAsCdata = false;
};

inline constexpr std::string_view kImageHostToken = "@IMGHOST@";

struct SimCategory {
  std::string id, name;
  std::vector<int> items;  // indices into Catalogue::items()
};

struct SimShop {
  int number = 0;
  std::string name, nick;
  PageStyle style = PageStyle::Plain;
  int perPage = 20;
  std::vector<int> items;  // indices into Catalogue::items()
  std::vector<SimCategory> categories;
};

struct SimKeyPair {
  std::string appKey, appSecret;
};

// One row as the crawler should list it from the result pages: title and price as the
// page text carries them (GBK, markup and entities included) and the numeric id.
struct ExpectedRow {
  std::string title, price, id;
  friend bool operator==(const ExpectedRow&, const ExpectedRow&) = default;
};

class Catalogue {
 public:
  explicit Catalogue(const SimOptions& options);

  const SimOptions& options() const { return options_; }
  const std::vector<SimShop>& shops() const { return shops_; }
  const std::vector<SimItem>& items() const { return items_; }
  const std::vector<SimKeyPair>& keyPairs() const { return keys_; }
  // nullptr when the shop number or the id is unknown.
  const SimShop* shop(int number) const;
  const SimItem* findItem(std::string_view id) const;
  const SimCategory* findCategory(const SimShop& shop, std::string_view id) const;

  // Result pages of a shop (category nullptr) or of one of its categories, 1-based.
  int pageCount(const SimShop& shop, const SimCategory* category = nullptr) const;
  // The items shown on page p, in page order (the duplicate quirk included).
  std::vector<int> pageItems(const SimShop& shop, const SimCategory* category, int page) const;
  // Position on page p whose price is not shown, or -1.
  int missingPriceAt(const SimShop& shop, const SimCategory* category, int page) const;
  bool isOversized(const SimShop& shop, const SimCategory* category, int page) const;
  // Every row a crawl of all pages yields, pages in order.
  std::vector<ExpectedRow> expectedRows(const SimShop& shop,
                                        const SimCategory* category = nullptr) const;

  // The picture served at a decoded request path (GBK bytes), without size suffix.
  bool findPicture(std::string_view path, PictureFormat& format) const;

 private:
  void buildShop(int number);
  SimItem buildItem(const SimShop& shop, int index);

  SimOptions options_;
  std::vector<SimShop> shops_;
  std::vector<SimItem> items_;
  std::vector<SimKeyPair> keys_;
  std::unordered_map<std::string, int> itemById_;
  std::map<std::string, PictureFormat, std::less<>> pictures_;
};

// The price text as a result page of the style shows it (the 旺铺 markup keeps a blank
// after the number, as the real pages do).
std::string priceAsShown(PageStyle style, std::string_view price);

// Text escapes used by the pages and answers (UTF-8 in, UTF-8 out).
std::string htmlEscape(std::string_view text);
std::string xmlEscape(std::string_view text);

}  // namespace tessaly::sim
