#pragma once
// The simulated marketplace's goods: shops, their categories and items, generated from a
// seed so that the same seed always gives the same pages and answers. Texts are UTF-8
// here; pages are turned into GBK when served.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tessaly::sim {

enum class PageStyle { Plain, Showcase, Street };  // "普通", "旺铺", "店铺街"

struct Sku {
  std::string price;
  std::string quantity;
  std::string outerId;
  std::string properties;
};

struct PropertyPicture {
  std::string path;  // on the picture host, e.g. "/taobao/p/1001_1.png"
  std::string properties;
};

struct Item {
  std::string id;
  int shop = 0;       // 1-based shop number
  int category = 0;   // index into the shop's categories
  std::string title;  // as listed and as answered
  std::string price;
  std::string num;
  std::string cid;
  std::string sellerCids;
  std::string state;
  std::string city;
  std::string validThru;
  std::string freightPayer;  // "seller", "buyer" or empty
  std::string emsFee, expressFee, postFee;
  std::string listTime, modified;
  std::string props;
  std::string approveStatus;  // "onsale", "instock" or empty
  std::string hasWarranty;    // "true" / "false"
  std::string inputPids, inputStr, outerId;
  std::string propertyAlias;
  std::vector<Sku> skus;
  std::vector<std::string> mainPictures;  // paths on the picture host
  std::vector<PropertyPicture> propertyPictures;
  std::string descHtml;  // the description as HTML (before entity escaping)
  bool descAsCdata = false;
};

struct Category {
  std::string id;
  bool byScid = false;  // addressed with "scid=" (else "catId=")
  std::string name;
};

struct Shop {
  int number = 0;
  std::string name;
  PageStyle style = PageStyle::Plain;
  int perPage = 20;
  std::vector<Category> categories;
  std::vector<int> items;  // indexes into Catalogue::items, in listing order
};

struct KeyPair {
  std::string appKey;
  std::string appSecret;
};

struct CatalogueOptions {
  uint32_t seed = 1;
  int shops = 3;
  int itemsPerShop = 60;
  int keyPairs = 3;
};

class Catalogue {
 public:
  explicit Catalogue(const CatalogueOptions& options);

  const std::vector<Shop>& shops() const { return shops_; }
  const std::vector<Item>& items() const { return items_; }
  const std::vector<KeyPair>& keys() const { return keys_; }
  const Shop* shop(int number) const;
  const Item* item(const std::string& id) const;
  // The items of a shop (or of one of its categories) in listing order.
  std::vector<const Item*> listing(const Shop& shop, const Category* category) const;
  const Category* category(const Shop& shop, const std::string& id) const;

 private:
  std::vector<Shop> shops_;
  std::vector<Item> items_;
  std::vector<KeyPair> keys_;
  std::map<std::string, std::size_t> byId_;
};

}  // namespace tessaly::sim
