#include "shop_pages.hpp"

#include <algorithm>
#include <cstdlib>

#include "support/gbk.hpp"

namespace tessaly::sim {
namespace {

// An oversized page is first rendered with these markers, then they are replaced by
// plain ASCII filler after the conversion to GBK.
constexpr std::string_view kFillerBefore = "<!--filler:before-->";
constexpr std::string_view kFillerAfter = "<!--filler:after-->";
constexpr std::size_t kOversizedBytes = 560000;

std::string pageHead(std::string_view title, const Shop& shop, std::string_view pageType,
                     int page, int pageTotal) {
  std::string h;
  h += "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
       "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n";
  h += "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n";
  h += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />\n";
  h += "<title>" + std::string(title) + "-淘宝网</title>\n";
  h += "<meta name=\"keywords\" content=\"" + shop.name + ",淘宝网,网上购物\" />\n";
  h += "<meta name=\"description\" content=\"欢迎前来淘宝网" + shop.name +
       "，选购我们的宝贝，掌柜" + shop.nick + "竭诚为您服务！\" />\n";
  h += "<style type=\"text/css\">\nbody{font:12px/1.5 tahoma,arial,\\5b8b\\4f53;margin:0}"
       "\n.layout{width:950px;margin:0 auto}.col-sub{float:left;width:190px}"
       ".col-main{float:right;width:750px}\n.item-list li,.item-list dl{float:left;width:180px}"
       "\n</style>\n";
  h += "<script type=\"text/javascript\">\nvar g_config = {\n  appId:2,\n  shopId:\"" +
       std::to_string(57300000 + shop.number) + "\",\n  userId:\"" +
       std::to_string(680000000 + shop.number * 7) + "\",\n  pageType:\"" +
       std::string(pageType) + "\",\n  pageNum:" + std::to_string(page) +
       ",\n  totalPage:" + std::to_string(pageTotal) + "\n};\n</script>\n</head>\n";
  return h;
}

std::string siteNav() {
  return "<div id=\"site-nav\">\n  <p class=\"login-info\">亲，欢迎来淘宝！请<a href=\"#\">登录"
         "</a> <a href=\"#\">免费注册</a></p>\n  <ul class=\"quick-menu\"><li><a href=\"#\">我的淘宝"
         "</a></li><li><a href=\"#\">购物车</a></li><li><a href=\"#\">收藏夹</a></li><li><a "
         "href=\"#\">卖家中心</a></li><li><a href=\"#\">联系客服</a></li></ul>\n</div>\n";
}

std::string shopHeader(const Catalogue& catalogue, const Shop& shop, const Hosts& hosts,
                       bool allItemsSelected) {
  const std::string base = "http://" + hosts.shop(shop.number);
  const Item& first = catalogue.items()[shop.items.empty() ? 0 : shop.items.front()];
  std::string h;
  h += "<div id=\"shop-head\">\n  <h1 class=\"shop-name\"><a href=\"" + base + "/\">" +
       shop.name + "</a></h1>\n";
  if (!catalogue.items().empty())
    h += "  <p class=\"shop-info\">掌柜：" + shop.nick + "　所在地区：" + first.state + " " +
         first.city + "　<a href=\"#\">收藏本店</a></p>\n";
  h += "</div>\n<div id=\"shop-nav\">\n<ul>\n  <li><a href=\"" + base + "/\">首页</a></li>\n";
  h += std::string("  <li") + (allItemsSelected ? " class=\"selected\"" : "") + "><a href=\"" +
       base + "/search.htm?search=y\">所有宝贝</a></li>\n";
  for (const auto& c : shop.categories)
    h += "  <li><a href=\"" + base + "/category-" + c.id + ".htm\">" + c.name + "</a></li>\n";
  h += "  <li><a href=\"#\">信用评价</a></li>\n  <li><a href=\"#\">关于我们</a></li>\n</ul>\n</div>\n";
  return h;
}

std::string categoryBox(const Shop& shop, const Hosts& hosts) {
  const std::string base = "http://" + hosts.shop(shop.number);
  std::string b = "<div class=\"box shop-category\">\n<h3>宝贝分类</h3>\n<ul>\n";
  b += "  <li><a href=\"" + base + "/search.htm?search=y\">查看所有宝贝</a></li>\n";
  for (std::size_t i = 0; i < shop.categories.size(); ++i) {
    const auto& c = shop.categories[i];
    // Shops link their categories in either form; both lead to the same result pages.
    const std::string address =
        i % 2 == 0 ? base + "/search.htm?spm=a1z10.3.0.0&search=y&scid=" + c.id +
                         "&scname=" + std::to_string(i + 1) + "&checkPerm=1#bd"
                   : base + "/category-" + c.id + ".htm";
    b += "  <li><a href=\"" + address + "\">" + c.name + "</a> <span>(" +
         std::to_string(c.items.size()) + ")</span></li>\n";
  }
  b += "</ul>\n</div>\n<div class=\"box shop-search\">\n<form action=\"" + base +
       "/search.htm\" method=\"get\">\n  <input type=\"hidden\" name=\"search\" value=\"y\" />\n"
       "  关键字：<input type=\"text\" name=\"keyword\" size=\"12\" />\n"
       "  价格：<input type=\"text\" name=\"lowPrice\" size=\"3\" />-<input type=\"text\" "
       "name=\"highPrice\" size=\"3\" />\n  <button type=\"submit\">搜索</button>\n</form>\n</div>\n";
  return b;
}

std::string thumbnail(const Item& item, const Hosts& hosts, int side) {
  const std::string side_ = std::to_string(side);
  return "http://" + hosts.host("img") + item.mainPictures.front() + "_" + side_ + "x" + side_ + ".jpg";
}

// One item cell in the markup of the shop's style.
std::string itemCell(const Shop& shop, const Item& item, bool showPrice, int sold,
                     const Hosts& hosts) {
  const std::string title = htmlEscape(item.title);
  const std::string link = "http://" + hosts.host("item") + "/item.htm?id=" + item.id;
  std::string c;
  switch (shop.style) {
    case PageStyle::Plain:
      c += "<li class=\"item\">\n  <div class=\"pic\"><a href=\"" + link +
           "\" target=\"_blank\"><img src=\"" + thumbnail(item, hosts, 160) + "\" alt=\"" +
           title + "\" /></a></div>\n";
      c += "  <div class=\"desc\">\n    <a target=\"_blank\" href=\"" + link +
           "&amp;source=shop\" class=\"permalink\" style=\"\">\n" + title + "\n    </a>\n  </div>\n";
      c += showPrice ? "  <div class=\"price\"><s>&yen;</s><strong>" + item.price + "</strong>\n"
                     : std::string("  <div class=\"price\"><s>价格</s><strong class=\"no-price\">"
                                   "暂无报价</strong>\n");
      c += "  </div>\n  <div class=\"sales\">最近成交<em>" + std::to_string(sold) +
           "</em>笔</div>\n</li>\n";
      break;
    case PageStyle::Showcase:
      c += "<dl class=\"item \" data-id=\"" + item.id + "\">\n  <dt class=\"photo\">\n    <a href=\"" +
           link + "\" target=\"_blank\">\n      <img alt=\"" + title + "\"  data-ks-lazyload=\"" +
           thumbnail(item, hosts, 240) + "\" src=\"" + thumbnail(item, hosts, 240) +
           "\"  >\n    </a>\n  </dt>\n";
      c += "  <dd class=\"detail\">\n    <a class=\"item-name\" href=\"" + link +
           "\" target=\"_blank\">" + title + "</a>\n    <div class=\"attribute\">\n";
      c += showPrice ? "      <div class=\"cprice-area\"><span class=\"symbol\">&yen;</span><span "
                       "class=\"c-price\">" + priceAsShown(shop.style, item.price) + "</span></div>\n"
                     : std::string("      <div class=\"cprice-area\"><span class=\"no-price\">"
                                   "暂无报价</span></div>\n");
      c += "      <div class=\"sale-area\">已售：<span class=\"sale-num\">" + std::to_string(sold) +
           "</span>件</div>\n    </div>\n  </dd>\n";
      c += "  <dd class=\"rates\">\n    <div class=\"title\">\n      <h4>\n        评论(<a href=\"" +
           link + "&on_comment=1\" target=\"_blank\"><span>" + std::to_string(sold / 3) +
           "</span></a>)\n      </h4>\n    </div>\n    <p class=\"rate J_TRate\"></p>\n  </dd>\n</dl>\n";
      break;
    case PageStyle::Street:
      c += "<li class=\"item\">\n  <div class=\"img\"><a title=\"" + title + "\"  href=\"" + link +
           "\" target=\"_blank\"><img src=\"" + thumbnail(item, hosts, 120) + "\" /></a></div>\n";
      c += "  <p class=\"title\"><a href=\"" + link + "\" target=\"_blank\">" + title + "</a></p>\n";
      c += showPrice ? "  <p class=\"price\">一口价：<strong>" + item.price + " 元</strong></p>\n"
                     : std::string("  <p class=\"price\">一口价：<strong>暂无报价</strong></p>\n");
      c += "  <p class=\"sale\">月销 <em>" + std::to_string(sold) + "</em> 件</p>\n</li>\n";
      break;
  }
  return c;
}

std::string listOpen(PageStyle style) {
  switch (style) {
    case PageStyle::Plain: return "<ul class=\"shop-list\">\n";
    case PageStyle::Showcase: return "<div class=\"shop-hesper-bd grid\">\n";
    case PageStyle::Street: return "<ul class=\"item-list street\">\n";
  }
  return {};
}
std::string listClose(PageStyle style) { return style == PageStyle::Showcase ? "</div>\n" : "</ul>\n"; }

std::string resultAddress(const Hosts& hosts, const Shop& shop, const Category* category,
                          std::string_view categoryParam, int page) {
  const std::string base = "http://" + hosts.shop(shop.number) + "/search.htm?&";
  if (!category) return base + "pageNum=" + std::to_string(page);
  return base + "search=y&" + std::string(categoryParam) + "=" + category->id +
         "&viewType=grid&orderType=_hotsell&pageNum=" + std::to_string(page);
}

// The bottom pager, modelled on the real one: numbered links, 下一页, and a form "到第 n 页".
std::string pagination(const Hosts& hosts, const Shop& shop, const Category* category,
                       std::string_view categoryParam, int page, int pageTotal) {
  auto link = [&](int p) { return resultAddress(hosts, shop, category, categoryParam, p); };
  std::string b = "<div class=\"pagination\">\n";
  b += page > 1 ? "  <a class=\"J_SearchAsync prev\" href=\"" + link(page - 1) + "\">上一页</a>\n"
                : std::string("  <a class=\"disable\">上一页</a>\n");
  for (int p = 1; p <= pageTotal; ++p) {
    if (p == page) b += "  <a class=\"page-cur\">" + std::to_string(p) + "</a>\n";
    else if (p <= 2 || p >= pageTotal - 1 || std::abs(p - page) <= 2)
      b += "  <a class=\"J_SearchAsync\" href=\"" + link(p) + "\">" + std::to_string(p) + "</a>\n";
    else if (p == 3 || p == pageTotal - 2)
      b += "  <span class=\"break\">...</span>\n";
  }
  b += page < pageTotal ? "  <a class=\"J_SearchAsync next\" href=\"" + link(page + 1) + "\">下一页</a>\n"
                        : std::string("  <a class=\"disable\">下一页</a>\n");
  b += "  <form action=\"http://" + hosts.shop(shop.number) + "/search.htm\" method=\"get\">\n";
  b += "    <input type=\"hidden\" name=\"search\" value=\"y\">\n";
  if (category)
    b += "    <input type=\"hidden\" name=\"" + std::string(categoryParam) + "\" value=\"" +
         category->id + "\">\n    <input type=\"hidden\" name=\"viewType\" value=\"grid\">\n";
  b += "    到第 <input type=\"text\" value=\"" + std::to_string(page) +
       "\" size=\"3\" name=\"pageNum\"> 页\n    <button type=\"submit\">确定</button>\n  </form>\n";
  b += "  <!--END OF  pagination-->\n</div>\n";
  return b;
}

std::string footer() {
  return "<div id=\"footer\">\n<p><a href=\"#\">关于淘宝</a> | <a href=\"#\">合作伙伴</a> | <a "
         "href=\"#\">营销中心</a> | <a href=\"#\">联系客服</a> | <a href=\"#\">开放平台</a> | <a "
         "href=\"#\">诚征英才</a> | <a href=\"#\">联系我们</a> | <a href=\"#\">网站地图</a></p>\n"
         "<p>版权所有 2003-2014 本页面仅供离线演示与测试使用</p>\n</div>\n";
}

// Filler that blows a page past the size limit: a recommendation data block as shops
// embed them, plain ASCII so that its length in GBK is its length here.
std::string filler(std::size_t bytes, std::string_view name, const Shop& shop) {
  std::string f = "<script type=\"text/javascript\">\nvar " + std::string(name) + " = [\n";
  for (int n = 0; f.size() < bytes; ++n)
    f += "  {\"shop\":" + std::to_string(shop.number) + ",\"slot\":" + std::to_string(n) +
         ",\"pic\":\"T1x" + std::to_string(n * 7919 % 100000) + "XXXXXXXXXX_!!0-item_pic\","
         "\"w\":160,\"h\":160,\"track\":\"a1z10.3-c.w4002-" + std::to_string(n * 31) + "\"},\n";
  return f + "  null\n];\n</script>\n";
}

}  // namespace

std::string shopResultPage(const Catalogue& catalogue, const Shop& shop,
                           const Category* category, std::string_view categoryParam,
                           int page, const Hosts& hosts) {
  const int pageTotal = catalogue.pageCount(shop, category);
  const std::size_t itemTotal = category ? category->items.size() : shop.items.size();
  const std::vector<int> onPage = catalogue.pageItems(shop, category, page);
  const int missingPrice = catalogue.missingPriceAt(shop, category, page);
  const bool oversized = catalogue.isOversized(shop, category, page);

  std::string p = pageHead(category ? category->name + "-" + shop.name : "所有宝贝-" + shop.name,
                           shop, "search", page, pageTotal);
  p += "<body class=\"shop-" + std::string(shop.style == PageStyle::Plain    ? "normal"
                                           : shop.style == PageStyle::Showcase ? "wangpu"
                                                                             : "street") +
       "\">\n";
  p += siteNav() + shopHeader(catalogue, shop, hosts, category == nullptr);
  p += "<div id=\"content\" class=\"layout grid-s5m0\">\n<div class=\"col-sub\">\n";
  p += categoryBox(shop, hosts);
  if (oversized) {
    // Recommended items before the result list: a crawler that ignores the size rule
    // lists them too.
    p += "<div class=\"box shop-recommend\">\n<h3>掌柜推荐</h3>\n" + listOpen(shop.style);
    for (std::size_t k = 0; k < std::min<std::size_t>(12, shop.items.size()); ++k)
      p += itemCell(shop, catalogue.items()[shop.items[shop.items.size() - 1 - k]], true, 99, hosts);
    p += listClose(shop.style) + "</div>\n" + std::string(kFillerBefore) + "\n";
  }
  p += "</div>\n<div class=\"col-main\">\n";
  p += "<div class=\"search-result\">共搜索到<span>" + std::to_string(itemTotal) +
       "</span>个符合条件的商品。</div>\n";
  const std::string sortBase = "http://" + hosts.shop(shop.number) + "/search.htm?search=y" +
                               (category ? "&" + std::string(categoryParam) + "=" + category->id : "") +
                               "&orderType=";
  p += "<div class=\"filter\">\n  <a class=\"sort selected\" href=\"" +
       resultAddress(hosts, shop, category, categoryParam, page) + "\">默认排序</a>\n";
  p += "  <a class=\"sort\" href=\"" + sortBase + "hotsell_desc\">销量</a>\n";
  p += "  <a class=\"sort\" href=\"" + sortBase + "price_asc\">价格</a>\n";
  p += "  <a class=\"sort\" href=\"" + sortBase + "newOn_desc\">新品</a>\n";
  p += "  <div class=\"mini-pager\"><span class=\"page-info\">" + std::to_string(page) + "/" +
       std::to_string(pageTotal) + "</span>\n";
  p += page > 1 ? "    <a class=\"prev\" href=\"" +
                      resultAddress(hosts, shop, category, categoryParam, page - 1) + "\">上一页</a>\n"
                : std::string("    <span class=\"disable\">上一页</span>\n");
  p += page < pageTotal ? "    <a class=\"next\" href=\"" +
                              resultAddress(hosts, shop, category, categoryParam, page + 1) +
                              "\">下一页</a>\n"
                        : std::string("    <span class=\"disable\">下一页</span>\n");
  p += "  </div>\n</div>\n";
  if (onPage.empty()) {
    p += "<div class=\"no-result\">\n  <p>没有找到相应的宝贝，请换个条件试试。</p>\n</div>\n";
  } else {
    p += listOpen(shop.style);
    for (int k = 0; k < static_cast<int>(onPage.size()); ++k) {
      const Item& item = catalogue.items()[onPage[k]];
      p += itemCell(shop, item, k != missingPrice, (item.index * 37 + 11) % 300, hosts);
    }
    p += listClose(shop.style);
  }
  p += pagination(hosts, shop, category, categoryParam, page, std::max(1, pageTotal));
  p += "</div>\n</div>\n";
  if (oversized) p += std::string(kFillerAfter) + "\n";
  p += footer() + "</body>\n</html>\n";

  std::string out = utf8ToGbk(p);
  if (oversized) {
    const std::size_t before = out.find(kFillerBefore);
    out.replace(before, kFillerBefore.size(), filler(kOversizedBytes / 2, "g_recommend", shop));
    const std::size_t after = out.find(kFillerAfter);
    const std::size_t missing = kOversizedBytes > out.size() ? kOversizedBytes - out.size() : 0;
    out.replace(after, kFillerAfter.size(), filler(missing, "g_footprint", shop));
  }
  return out;
}

std::string shopHomePage(const Catalogue& catalogue, const Shop& shop, const Hosts& hosts) {
  std::string p = pageHead("首页-" + shop.name, shop, "index", 1, 1);
  p += "<body>\n" + siteNav() + shopHeader(catalogue, shop, hosts, false);
  p += "<div id=\"content\" class=\"layout grid-s5m0\">\n<div class=\"col-sub\">\n" +
       categoryBox(shop, hosts) + "</div>\n<div class=\"col-main\">\n";
  p += "<div class=\"box shop-notice\">\n<h3>店铺公告</h3>\n<p>欢迎光临" + shop.name +
       "！本店所有宝贝均为实物拍摄，下午4点前付款当天发货。</p>\n</div>\n";
  p += "<div class=\"box hot-items\">\n<h3>热卖宝贝</h3>\n<ul>\n";
  for (std::size_t k = 0; k < std::min<std::size_t>(8, shop.items.size()); ++k) {
    const Item& item = catalogue.items()[shop.items[k]];
    p += "  <li><a href=\"http://" + hosts.host("item") + "/item.htm?id=" + item.id +
         "\" target=\"_blank\"><img src=\"" + thumbnail(item, hosts, 160) + "\" /><span>" +
         htmlEscape(item.title) + "</span></a> <em>&yen;" + item.price + "</em></li>\n";
  }
  p += "</ul>\n<p><a href=\"http://" + hosts.shop(shop.number) +
       "/search.htm?search=y\">查看所有宝贝 &gt;&gt;</a></p>\n</div>\n</div>\n</div>\n";
  p += footer() + "</body>\n</html>\n";
  return utf8ToGbk(p);
}

std::string itemPage(const Catalogue& catalogue, const Item* item, bool mall,
                     const Hosts& hosts) {
  const std::string site = mall ? "tmall.com天猫" : "淘宝网";
  std::string p = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"gbk\" />\n";
  if (!item) {
    p += "<title>" + site + " - 宝贝不存在</title>\n</head>\n<body>\n" + siteNav();
    p += "<div class=\"error-notice\">\n  <h2>很抱歉，您查看的宝贝不存在，可能已下架或者被转移。</h2>\n"
         "  <p>您可以：<a href=\"#\">去首页看看</a> 或 <a href=\"#\">搜索其他宝贝</a></p>\n</div>\n";
    return utf8ToGbk(p + footer() + "</body>\n</html>\n");
  }
  const Shop& shop = *catalogue.shop(item->shop);
  const std::string title = htmlEscape(item->title);
  p += "<title>" + title + "-" + site + "</title>\n";
  p += "<meta name=\"keywords\" content=\"" + title + "\" />\n";
  p += "<script>\nvar g_config = {\n  startTime: +new Date,\n  t: true,\n";
  p += "  shopId:\"" + std::to_string(57300000 + shop.number) + "\",\n";
  p += "  itemId:\"" + item->id + "\",\n";
  p += "  sellerId:\"" + std::to_string(680000000 + shop.number * 7) + "\",\n";
  p += "  sellerNick:\"" + shop.nick + "\",\n  isMall:" + (mall ? "true" : "false") +
       ",\n  descUrl:\"http://" + hosts.host(mall ? "mall" : "item") + "/desc.htm?id=" + item->id +
       "\"\n};\n</script>\n</head>\n<body>\n";
  p += siteNav() + shopHeader(catalogue, shop, hosts, false);
  p += "<div id=\"detail\" class=\"layout\">\n<div class=\"tb-gallery\"><img id=\"J_ImgBooth\" src=\"" +
       thumbnail(*item, hosts, 400) + "\" /></div>\n";
  p += "<div class=\"tb-property\">\n  <h3 class=\"tb-main-title\" data-title=\"" + title + "\">" +
       title + "</h3>\n  <ul class=\"tb-meta\">\n";
  p += "    <li id=\"J_StrPriceModBox\"><span class=\"tb-property-type\">价格</span><strong "
       "class=\"tb-rmb-num\"><em class=\"tb-rmb\">&yen;</em>" + item->price + "</strong></li>\n";
  p += "    <li><span class=\"tb-property-type\">运费</span>" + item->state + item->city + " 至 "
       "<span>北京</span> 快递：" + item->expressFee + "元 EMS：" + item->emsFee + "元</li>\n";
  p += "    <li><span class=\"tb-property-type\">30天售出</span><em>" +
       std::to_string((item->index * 37 + 11) % 300) + "</em>件</li>\n  </ul>\n";
  if (!item->skus.empty()) {
    p += "  <dl class=\"tb-prop\"><dt>规格</dt><dd><ul>\n";
    for (const auto& sku : item->skus)
      p += "    <li data-value=\"" + sku.properties + "\"><a href=\"#\">" + sku.propertiesName +
           "</a></li>\n";
    p += "  </ul></dd></dl>\n";
  }
  p += "  <div class=\"tb-amount\">数量：<input type=\"text\" value=\"1\" size=\"3\" /> 件（库存" +
       item->num + "件）</div>\n";
  p += "  <div class=\"tb-action\"><a class=\"tb-btn-buy\" href=\"#\">立刻购买</a> <a "
       "class=\"tb-btn-add\" href=\"#\">加入购物车</a></div>\n</div>\n";
  p += "<div id=\"J_DivItemDesc\" class=\"content\">描述加载中...</div>\n</div>\n";
  return utf8ToGbk(p + footer() + "</body>\n</html>\n");
}

}  // namespace tessaly::sim
