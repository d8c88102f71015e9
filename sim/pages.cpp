#include "pages.hpp"

#include <algorithm>

namespace tessaly::sim {
namespace {

std::string replaceAllText(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string head(const std::string& title) {
  return "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
         "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
         "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />\n"
         "<title>" + title + "</title>\n"
         "<link rel=\"stylesheet\" href=\"/css/shop.css\" />\n"
         "<script type=\"text/javascript\">var g_config = {appId:2, assetsHost:\"/assets\", "
         "toolbar:false};</script>\n</head>\n";
}

std::string itemUrl(const Hosts& hosts, const std::string& id) {
  return "http://" + hosts.item + "/item.htm?id=" + id;
}

std::string itemCell(PageStyle style, const Item& item, const Hosts& hosts, bool withPrice) {
  const std::string title = htmlEscape(item.title);
  const std::string picture = "http://" + hosts.picture + item.mainPictures.front() + "_160x160.jpg";
  switch (style) {
    case PageStyle::Plain:
      return "<div class=\"item\">\n  <div class=\"pic\"><a href=\"" + itemUrl(hosts, item.id) +
             "\" target=\"_blank\"><img src=\"" + picture + "\" alt=\"" + title + "\" /></a></div>\n"
             "  <div class=\"desc\"><a target=\"_blank\" href=\"" + itemUrl(hosts, item.id) +
             "&amp;ref=shop\" class=\"permalink\" style=\"\">\n" + title + "\n      </a></div>\n" +
             (withPrice ? "  <div class=\"price\"><s>&yen;</s><strong>" + item.price + "</strong>\n"
                        : std::string("  <div class=\"price\"><s>&yen;</s><em>暂无报价</em>\n")) +
             "  </div>\n  <div class=\"sales\">最近成交<em>" + std::to_string(item.id.back() - '0') +
             "</em>笔</div>\n</div>\n";
    case PageStyle::Showcase:
      return "<dl class=\"item \" data-id=\"" + item.id + "\">\n  <dt class=\"photo\">\n    <a href=\"" +
             itemUrl(hosts, item.id) + "\" target=\"_blank\">\n      <img alt=\"" + title +
             "\"  data-ks-lazyload=\"" + picture + "\" src=\"http://" + hosts.picture +
             "/s.gif\"  >\n    </a>\n  </dt>\n  <dd class=\"detail\">\n    <a class=\"item-name\" href=\"" +
             itemUrl(hosts, item.id) + "\" target=\"_blank\">" + title + "</a>\n"
             "    <div class=\"attribute\">\n      <div class=\"cprice-area\"><span class=\"symbol\">&yen;</span>" +
             (withPrice ? "<span class=\"c-price\">" + item.price + " </span>" : std::string("<em>暂无报价</em>")) +
             "</div>\n      <div class=\"sale-area\">已售：<span class=\"sale-num\">" +
             std::to_string(item.id.back() - '0') + "</span>件</div>\n    </div>\n  </dd>\n</dl>\n";
    case PageStyle::Street:
      return "<li class=\"item\">\n  <div class=\"pic\"><a title=\"" + title + "\"  href=\"" +
             itemUrl(hosts, item.id) + "\" target=\"_blank\"><img src=\"" + picture +
             "\" /></a></div>\n  <div class=\"price\">" +
             (withPrice ? "<strong>" + item.price + " 元</strong>" : std::string("<em>暂无报价</em>")) +
             "</div>\n  <div class=\"title\">" + title + "</div>\n</li>\n";
  }
  return {};
}

std::string pagination(const std::string& base, int page, int pages) {
  std::string s = "<div class=\"pagination\">\n";
  s += page > 1 ? "  <a class=\"J_SearchAsync prev\" href=\"" + base + std::to_string(page - 1) + "\">上一页</a>\n"
                : std::string("  <a class=\"disable\">上一页</a>\n");
  for (int p = 1; p <= pages; ++p)
    s += p == page ? "  <a class=\"page-cur\">" + std::to_string(p) + "</a>\n"
                   : "  <a class=\"J_SearchAsync\" href=\"" + base + std::to_string(p) + "\">" +
                         std::to_string(p) + "</a>\n";
  s += page < pages ? "  <a class=\"J_SearchAsync next\" href=\"" + base + std::to_string(page + 1) + "\">下一页</a>\n"
                    : std::string("  <a class=\"disable\">下一页</a>\n");
  s += "  <form action=\"/search.htm\" method=\"get\">\n    <input type=\"hidden\" name=\"search\" value=\"y\">\n"
       "    到第 <input type=\"text\" value=\"" + std::to_string(page) +
       "\" size=\"3\" name=\"pageNum\"> 页\n    <button type=\"submit\">确定</button>\n  </form>\n</div>\n";
  return s;
}

}  // namespace

std::string Hosts::shop(int number) const {
  return "shop" + std::to_string(number) + ".localhost:" + std::to_string(port);
}

int pageCount(const Shop& shop, std::size_t items) {
  return std::max(1, static_cast<int>((items + static_cast<std::size_t>(shop.perPage) - 1) /
                                      static_cast<std::size_t>(shop.perPage)));
}

namespace {

// Entities for the markup characters; XML also escapes the apostrophe.
std::string escape(const std::string& text, bool apostrophe) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += apostrophe ? "&apos;" : "'"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::string htmlEscape(const std::string& text) { return escape(text, false); }
std::string xmlEscape(const std::string& text) { return escape(text, true); }

std::string resultPage(const Shop& shop, const Category* category,
                       const std::vector<const Item*>& items, int page, const Hosts& hosts,
                       const PageShape& shape) {
  const int pages = pageCount(shop, items.size());
  const std::string base =
      "http://" + hosts.shop(shop.number) +
      (category ? std::string("/search.htm?&search=y&") + (category->byScid ? "scid=" : "catId=") +
                      category->id + "&viewType=grid&orderType=_hotsell&pageNum="
                : std::string("/search.htm?&pageNum="));
  std::string s = head(shop.name + (category ? " - " + category->name : "") + " - 淘宝网");
  s += "<body>\n<div id=\"header\"><div class=\"shop-name\"><a href=\"http://" + hosts.shop(shop.number) +
       "/\">" + shop.name + "</a></div>\n<ul class=\"menu\"><li><a href=\"/\">首页</a></li>"
       "<li><a href=\"/search.htm?search=y\">所有宝贝</a></li>";
  for (const auto& c : shop.categories)
    s += "<li><a href=\"http://" + hosts.shop(shop.number) + "/category-" + c.id + ".htm\">" + c.name + "</a></li>";
  s += "</ul></div>\n<div class=\"search-result\">\n<p class=\"result-count\">共搜索到<span>" +
       std::to_string(items.size()) + "</span>个符合条件的商品。</p>\n"
       "<div class=\"filter\"><a class=\"sort\" href=\"" + base + "1\">人气</a> "
       "<span class=\"page-info\">" + std::to_string(page) + "/" + std::to_string(pages) + "</span> " +
       (page < pages ? "<a class=\"page-next\" href=\"" + base + std::to_string(page + 1) + "\">下一页</a>"
                     : std::string("<a class=\"page-next disable\">下一页</a>")) +
       "</div>\n<div class=\"item-list\">\n";
  if (shop.style == PageStyle::Street) s += "<ul>\n";
  const std::size_t first = static_cast<std::size_t>(page - 1) * static_cast<std::size_t>(shop.perPage);
  const std::size_t last = std::min(items.size(), first + static_cast<std::size_t>(shop.perPage));
  for (std::size_t i = first; i < last; ++i)
    s += itemCell(shop.style, *items[i], hosts, !(shape.onePriceShort && i + 1 == last));
  if (shop.style == PageStyle::Street) s += "</ul>\n";
  s += "</div>\n" + pagination(base, page, pages) + "</div>\n";
  if (shape.oversized) {
    // Recommendations in the same markup, far down a very long page: a crawler that
    // reads past the pager would take them for the shop's items.
    s += "<div class=\"recommend\"><h3>猜你喜欢</h3>\n";
    Item decoy = *items[first < items.size() ? first : 0];
    for (int k = 0; s.size() < 530000; ++k) {
      decoy.id = "9" + std::to_string(100000000 + k);
      decoy.title = "推荐商品 " + std::to_string(k);
      s += itemCell(shop.style, decoy, hosts, true);
    }
    s += "</div>\n";
  }
  s += "<div id=\"footer\">版权所有 &copy; 模拟商城</div>\n</body>\n</html>\n";
  return s;
}

std::string itemPage(const Item& item, bool mall) {
  return head(htmlEscape(item.title) + (mall ? "-tmall.com天猫" : "-淘宝网")) +
         "<body>\n<script type=\"text/javascript\">\nvar g_config = {\n  shopId:\"" +
         std::to_string(item.shop) + "\",\n  itemId:\"" + item.id + "\",\n  pageType:\"item\"\n};\n"
         "</script>\n<div class=\"tb-detail-hd\"><h3>" + htmlEscape(item.title) + "</h3></div>\n"
         "<ul class=\"tb-meta\"><li>价格：<em class=\"tb-rmb-num\">" + item.price + "</em></li>"
         "<li>运费：" + item.city + " 至 北京 快递 " + item.expressFee + "元</li></ul>\n</body>\n</html>\n";
}

std::string itemAnswer(const Item& item, const Hosts& hosts) {
  auto element = [](const char* name, const std::string& value) {
    return std::string("<") + name + ">" + xmlEscape(value) + "</" + name + ">";
  };
  const std::string desc = replaceAllText(item.descHtml, "{IMG}", hosts.picture);
  std::string s = "<?xml version=\"1.0\" encoding=\"utf-8\" ?><item_get_response><item>";
  if (!item.approveStatus.empty()) s += element("approve_status", item.approveStatus);
  s += element("cid", item.cid) + "\n";
  s += item.descAsCdata ? "<desc><![CDATA[" + desc + "]]></desc>" : element("desc", desc);
  s += "\n" + element("detail_url", "http://" + hosts.item + "/item.htm?id=" + item.id + "&spm=sim.1");
  s += element("ems_fee", item.emsFee) + element("express_fee", item.expressFee);
  if (!item.freightPayer.empty()) s += element("freight_payer", item.freightPayer);
  s += element("has_discount", "false") + element("has_invoice", "false") +
       element("has_showcase", "false") + element("has_warranty", item.hasWarranty);
  s += element("input_pids", item.inputPids) + element("input_str", item.inputStr) + "\n<item_imgs>";
  for (std::size_t i = 0; i < item.mainPictures.size(); ++i)
    s += "<item_img><id>" + std::to_string(i + 1) + "</id><position>" + std::to_string(i) +
         "</position>" + element("url", "http://" + hosts.picture + item.mainPictures[i]) + "</item_img>";
  s += "</item_imgs>" + element("list_time", item.listTime) + "<location>" + element("city", item.city) +
       element("state", item.state) + "</location>" + element("modified", item.modified) +
       element("num", item.num) + "\n";
  s += element("outer_id", item.outerId) + element("post_fee", item.postFee) +
       element("price", item.price) + "<prop_imgs>";
  for (std::size_t i = 0; i < item.propertyPictures.size(); ++i)
    s += "<prop_img><id>" + std::to_string(i + 1) + "</id>" +
         element("properties", item.propertyPictures[i].properties) +
         element("url", "http://" + hosts.picture + item.propertyPictures[i].path) + "</prop_img>";
  s += "</prop_imgs>" + element("property_alias", item.propertyAlias) + element("props", item.props) +
       element("seller_cids", item.sellerCids) + "\n<skus>";
  for (const auto& sku : item.skus)
    s += "<sku>" + element("outer_id", sku.outerId) + element("price", sku.price) +
         element("properties", sku.properties) + element("quantity", sku.quantity) + "</sku>";
  s += "</skus>" + element("title", item.title) + element("valid_thru", item.validThru) +
       "</item></item_get_response><!--sim-->";
  return s;
}

std::string errorAnswer(int code, const std::string& msg, const std::string& subCode,
                        const std::string& subMsg) {
  std::string s = "<?xml version=\"1.0\" encoding=\"utf-8\" ?><error_response><code>" +
                  std::to_string(code) + "</code><msg>" + xmlEscape(msg) + "</msg>";
  if (!subCode.empty()) s += "<sub_code>" + xmlEscape(subCode) + "</sub_code>";
  if (!subMsg.empty()) s += "<sub_msg>" + xmlEscape(subMsg) + "</sub_msg>";
  return s + "<request_id>sim" + std::to_string(code * 7919 % 100000) + "</request_id></error_response><!--sim-->";
}

std::string keyList(const std::vector<KeyPair>& keys) {
  std::string s = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<apps>\n";
  for (std::size_t i = 0; i < keys.size(); ++i)
    s += "  <app name=\"app" + std::to_string(i + 1) + "\" appkey=\"" + keys[i].appKey +
         "\" appsecret=\"" + keys[i].appSecret + "\" />\n";
  return s + "</apps>\n";
}

std::string newsPage() {
  return head("Tessaly 最新动态") +
         "<body>\n<h2>最新动态</h2>\n<ul>\n"
         "<li><b>V3.06</b>：数据包生成改为五个线程同时下载，速度提升明显；图片下载失败时可选择保持、删除或重新下载。</li>\n"
         "<li><b>V3.05</b>：支持淘宝助理 5.X 数据包格式；新增价格小数位设置。</li>\n"
         "<li><b>V3.04</b>：店铺采集支持三种店铺页面风格（普通、旺铺、店铺街）。</li>\n"
         "<li><b>V3.03</b>：宝贝列表可以导出、导入，并可用电子表格打开查看。</li>\n</ul>\n"
         "<p>提示：采集前请确认网络畅通；接口繁忙时程序会自动更换App参数重试。</p>\n</body>\n</html>\n";
}

std::string helpPage() {
  return head("Tessaly 使用说明") +
         "<body>\n<h2>使用说明</h2>\n"
         "<h3>第一步：采集宝贝</h3>\n<ol>\n"
         "<li>在“采集”页面用导航栏选择采集方式：单个采集、列表采集或店铺采集。</li>\n"
         "<li>单个采集：输入宝贝地址，例如 http://item.taobao.com/item.htm?id=12345678，点“添加到列表”。</li>\n"
         "<li>列表采集：输入店铺分类地址（含 scid=、catId= 或 category-），程序读取该分类的所有页。</li>\n"
         "<li>店铺采集：输入店铺首页地址，程序用五个线程读取店铺的全部宝贝。</li>\n"
         "<li>宝贝列表可以删除、清空、导出保存，下次再导入继续使用。</li>\n</ol>\n"
         "<h3>第二步：设置</h3>\n<ol>\n"
         "<li>在“配置”页面选择是否下载描述图片、图片下载失败的处理方式。</li>\n"
         "<li>可以按百分比调整价格、统一库存，并设置三组文字替换（替换标题和描述中的QQ、手机号等）。</li>\n"
         "<li>选择生成淘宝助理 4.X 或 5.X 数据，点“保存配置”。</li>\n</ol>\n"
         "<h3>第三步：生成数据包</h3>\n<ol>\n"
         "<li>在“采集”页面确认保存路径，点“生成数据包”。可随时暂停、继续或停止。</li>\n"
         "<li>完成后在保存路径找到 CSV 文件和同名图片文件夹，用淘宝助理导入即可。</li>\n</ol>\n"
         "</body>\n</html>\n";
}

}  // namespace tessaly::sim
