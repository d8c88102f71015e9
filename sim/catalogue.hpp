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

struct CatalogueOptions {
  std::uint64_t seed = 1;
  int shops = 3;
  int itemsPerShop = 60;
  int keyPairs = 3;
  int categoriesPerShop = 3;
};

// Shops whose result pages are unusual, each named by number (0: none).
struct PageQuirks {
  int oversizedShop = 0;   // listing pages over 512000 bytes, items between 下一页 and 到第
  int shortPriceShop = 0;  // every listing page shows one price fewer than items
  int duplicateShop = 0;   // page 2 of the listing shows page 1's first item again
};

// The three markups a shop's result pages come in.
enum class PageStyle { Plain, Showcase, Street };
// The style's name as shop owners know it ("普通", "旺铺", "店铺街"), UTF-8.
std::string_view styleName(PageStyle style);

enum class PictureFormat { Jpeg, Png, Gif89, Gif87, Bmp, Tiff, Ico };

struct Sku {
  std::string price, quantity, outerId, properties, skuId, propertiesName;
};

struct PropertyPicture {
  std::string path;  // on the picture host
  std::string properties;
};

struct Item {
  std::string id;
  int shop = 0;      // 1-based shop number
  int category = 0;  // index into the shop's categories
  int index = 0;     // 0-based position in its shop's listing
  std::string title, price, num, cid, sellerCids, state, city, validThru;
  std::string freightPayer;  // "seller" or "buyer"
  std::string emsFee, expressFee, postFee, listTime, delistTime, modified, props;
  std::string approveStatus;  // "onsale" or "instock"
  std::string hasWarranty, hasDiscount, hasInvoice, hasShowcase;
  std::string inputPids, inputStr, outerId, propertyAlias, postageId;
  std::vector<Sku> skus;
  std::vector<std::string> mainPictures;  // paths on the picture host
  std::vector<PropertyPicture> propertyPictures;
  // The description as HTML (before entity escaping); kImageHostToken stands where the
  // picture host goes.
  std::string descHtml;
  bool descAsCdata = false;
};

inline constexpr std::string_view kImageHostToken = "@IMGHOST@";

struct Category {
  std::string id;
  bool byScid = false;  // the shop's own links address it with "scid=" (else "catId=")
  std::string name;
  std::vector<int> items;  // indices into Catalogue::items()
};

struct Shop {
  int number = 0;
  std::string name, nick;
  PageStyle style = PageStyle::Plain;
  int perPage = 20;
  std::vector<Category> categories;
  std::vector<int> items;  // indices into Catalogue::items(), in listing order
};

struct KeyPair {
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
  explicit Catalogue(const CatalogueOptions& options, const PageQuirks& quirks = {});

  const std::vector<Shop>& shops() const { return shops_; }
  const std::vector<Item>& items() const { return items_; }
  const std::vector<KeyPair>& keys() const { return keys_; }
  // nullptr when the shop number, the id or the category is unknown.
  const Shop* shop(int number) const;
  const Item* item(std::string_view id) const;
  const Category* category(const Shop& shop, std::string_view id) const;
  // The items of a shop (category nullptr) or of one of its categories, in listing order.
  std::vector<const Item*> listing(const Shop& shop, const Category* category = nullptr) const;

  // Result pages of a listing, 1-based.
  int pageCount(const Shop& shop, const Category* category = nullptr) const;
  // The items shown on page p, in page order (the duplicate quirk included).
  std::vector<int> pageItems(const Shop& shop, const Category* category, int page) const;
  // Position on page p whose price is not shown, or -1.
  int missingPriceAt(const Shop& shop, const Category* category, int page) const;
  bool isOversized(const Shop& shop, const Category* category, int page) const;
  // Every row a crawl of all pages yields, pages in order.
  std::vector<ExpectedRow> expectedRows(const Shop& shop, const Category* category = nullptr) const;

  // The picture served at a decoded request path (GBK bytes); listing thumbnails
  // ("<picture>_160x160.jpg") give their picture.
  bool findPicture(std::string_view path, PictureFormat& format) const;

 private:
  void buildShop(int number);
  Item buildItem(const Shop& shop, int index);

  CatalogueOptions options_;
  PageQuirks quirks_;
  std::vector<Shop> shops_;
  std::vector<Item> items_;
  std::vector<KeyPair> keys_;
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
