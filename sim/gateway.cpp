#include "gateway.hpp"

#include <algorithm>
#include <set>

#include "support/md5.hpp"

namespace tessaly::sim {
namespace {

struct Element {
  std::string name;
  std::string text;  // already escaped (or a CDATA section)
  std::vector<Element> children;
  bool lineBreakAfter = false;
};

Element leaf(std::string name, std::string_view text) {
  return {std::move(name), xmlEscape(text), {}, false};
}

std::string replaceToken(std::string text, std::string_view token, std::string_view by) {
  for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + by.size()))
    text.replace(at, token.size(), by);
  return text;
}

// The whole item, elements in the platform's (alphabetical) order; empty values are left
// out, as the platform leaves them out.
Element itemElement(const Item& item, const GatewayHosts& hosts) {
  const std::string imageBase = "http://" + hosts.image;
  Element e{"item", "", {}, false};
  auto add = [&](std::string name, std::string_view text) {
    if (!text.empty()) e.children.push_back(leaf(std::move(name), text));
  };
  add("approve_status", item.approveStatus);
  add("cid", item.cid);
  add("delist_time", item.delistTime);
  const std::string desc = replaceToken(item.descHtml, kImageHostToken, hosts.image);
  e.children.push_back({"desc", item.descAsCdata ? "<![CDATA[" + desc + "]]>" : xmlEscape(desc), {}, true});
  add("detail_url", "http://" + hosts.item + "/item.htm?id=" + item.id + "&spm=2014.12129701.0.0");
  add("ems_fee", item.emsFee);
  add("express_fee", item.expressFee);
  add("freight_payer", item.freightPayer);
  add("has_discount", item.hasDiscount);
  add("has_invoice", item.hasInvoice);
  add("has_showcase", item.hasShowcase);
  add("has_warranty", item.hasWarranty);
  add("input_pids", item.inputPids);
  add("input_str", item.inputStr);
  Element imgs{"item_imgs", "", {}, true};
  for (std::size_t k = 0; k < item.mainPictures.size(); ++k)
    imgs.children.push_back({"item_img", "", {leaf("id", std::to_string(900000000 + k)),
                                             leaf("position", std::to_string(k)),
                                             leaf("url", imageBase + item.mainPictures[k])}, false});
  e.children.push_back(imgs);
  add("list_time", item.listTime);
  e.children.push_back({"location", "", {leaf("city", item.city), leaf("state", item.state)}, false});
  add("modified", item.modified);
  add("num", item.num);
  add("num_iid", item.id);
  add("outer_id", item.outerId);
  add("pic_url", imageBase + item.mainPictures.front());
  add("post_fee", item.postFee);
  add("postage_id", item.postageId);
  add("price", item.price);
  if (!item.propertyPictures.empty()) {
    Element props{"prop_imgs", "", {}, true};
    for (std::size_t k = 0; k < item.propertyPictures.size(); ++k)
      props.children.push_back({"prop_img", "", {leaf("id", std::to_string(800000000 + k)),
                                                leaf("position", std::to_string(k)),
                                                leaf("properties", item.propertyPictures[k].properties),
                                                leaf("url", imageBase + item.propertyPictures[k].path)}, false});
    e.children.push_back(props);
  }
  add("property_alias", item.propertyAlias);
  add("props", item.props);
  add("seller_cids", item.sellerCids);
  if (!item.skus.empty()) {
    Element skus{"skus", "", {}, true};
    for (const Sku& s : item.skus) {
      Element sku{"sku", "", {leaf("modified", item.modified)}, false};
      if (!s.outerId.empty()) sku.children.push_back(leaf("outer_id", s.outerId));
      sku.children.push_back(leaf("price", s.price));
      sku.children.push_back(leaf("properties", s.properties));
      sku.children.push_back(leaf("properties_name", s.propertiesName));
      sku.children.push_back(leaf("quantity", s.quantity));
      sku.children.push_back(leaf("sku_id", s.skuId));
      skus.children.push_back(sku);
    }
    e.children.push_back(skus);
  }
  add("title", item.title);
  add("valid_thru", item.validThru);
  return e;
}

// The unit name of a list element ("item_imgs" -> "item_img"); plain elements are their own.
std::string unitName(const std::string& name) {
  if (name == "item_imgs" || name == "prop_imgs" || name == "skus") return name.substr(0, name.size() - 1);
  return name;
}

// Keeps what `fields` asks for: "x" keeps element x whole, "unit.y" keeps only y in each
// unit of a list (or in a composite such as location).
Element filtered(const Element& item, const std::set<std::string, std::less<>>& fields) {
  Element out{item.name, item.text, {}, false};
  for (const Element& child : item.children) {
    const std::string unit = unitName(child.name);
    if (fields.count(child.name) || (unit != child.name && fields.count(unit))) {
      out.children.push_back(child);
      continue;
    }
    if (child.children.empty()) continue;
    const std::string prefix = unit + ".";
    std::set<std::string> wanted;
    for (const auto& f : fields)
      if (f.starts_with(prefix)) wanted.insert(f.substr(prefix.size()));
    if (wanted.empty()) continue;
    Element kept{child.name, "", {}, child.lineBreakAfter};
    auto keep = [&](const Element& from) {
      Element part{from.name, "", {}, false};
      for (const Element& sub : from.children)
        if (wanted.count(sub.name)) part.children.push_back(sub);
      return part;
    };
    if (unit != child.name) {
      for (const Element& u : child.children) kept.children.push_back(keep(u));
    } else {
      kept = keep(child);
    }
    out.children.push_back(kept);
  }
  return out;
}

void write(const Element& e, std::string& out) {
  out += "<" + e.name + ">";
  out += e.text;
  for (const Element& c : e.children) write(c, out);
  out += "</" + e.name + ">";
  if (e.lineBreakAfter) out += "\n";
}

std::string trailer(std::string_view requestId) {
  return "<!--top" + std::string(requestId.substr(0, 12)) + ".sim-->";
}

bool isTimestamp(std::string_view t) {
  // YYYY-MM-DD HH:MM:SS
  if (t.size() != 19) return false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    const bool ok = i == 4 || i == 7 ? c == '-' : i == 10 ? c == ' ' : i == 13 || i == 16 ? c == ':'
                                                                                         : c >= '0' && c <= '9';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::string signatureOf(const QueryParams& params, std::string_view secret) {
  QueryParams sorted;
  for (const auto& p : params)
    if (p.first != "sign" && !p.first.empty() && !p.second.empty()) sorted.push_back(p);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string text(secret);
  for (const auto& [name, value] : sorted) text += name + value;
  text += secret;
  return md5HexUpper(text);
}

std::string errorResponse(int code, std::string_view msg, std::string_view subCode,
                          std::string_view subMsg, std::string_view requestId) {
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\" ?><error_response><code>" +
                    std::to_string(code) + "</code><msg>" + xmlEscape(msg) + "</msg>";
  if (!subCode.empty()) out += "<sub_code>" + xmlEscape(subCode) + "</sub_code>";
  if (!subMsg.empty()) out += "<sub_msg>" + xmlEscape(subMsg) + "</sub_msg>";
  out += "<request_id>" + std::string(requestId) + "</request_id></error_response>";
  return out + trailer(requestId);
}

std::string itemGetResponse(const Item& item, std::string_view fields, const GatewayHosts& hosts,
                            std::string_view requestId) {
  std::set<std::string, std::less<>> wanted;
  std::size_t start = 0;
  while (start <= fields.size()) {
    std::size_t comma = fields.find(',', start);
    if (comma == std::string_view::npos) comma = fields.size();
    std::string_view f = fields.substr(start, comma - start);
    while (!f.empty() && f.front() == ' ') f.remove_prefix(1);
    while (!f.empty() && f.back() == ' ') f.remove_suffix(1);
    if (!f.empty()) wanted.emplace(f);
    start = comma + 1;
  }
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\" ?><item_get_response>";
  write(filtered(itemElement(item, hosts), wanted), out);
  return out + "</item_get_response>" + trailer(requestId);
}

std::string answerRestRequest(const Catalogue& catalogue, const QueryParams& params,
                              const std::set<std::string>& failingKeys,
                              const GatewayHosts& hosts, std::string_view requestTarget) {
  const std::string requestId = md5Hex(requestTarget).substr(0, 13);
  auto value = [&](std::string_view name) -> std::string {
    for (const auto& p : params)
      if (p.first == name) return p.second;
    return {};
  };
  auto error = [&](int code, std::string_view msg, std::string_view subCode = {},
                   std::string_view subMsg = {}) {
    return errorResponse(code, msg, subCode, subMsg, requestId);
  };

  const std::string method = value("method"), appKey = value("app_key"), sign = value("sign");
  if (method.empty()) return error(21, "Missing method", {}, "http传入的参数加入method字段");
  if (appKey.empty()) return error(28, "Missing app key");
  const auto& keys = catalogue.keys();
  const auto key = std::find_if(keys.begin(), keys.end(),
                                [&](const KeyPair& k) { return k.appKey == appKey; });
  if (key == keys.end()) return error(29, "Invalid app Key", "isv.appkey-not-exists");
  if (failingKeys.count(appKey))
    return error(7, "App Call Limited", "accesscontrol.limited-by-app-api-access-count",
                 "This ban will last for 71 more seconds");
  if (sign.empty()) return error(24, "Missing signature");
  const std::string timestamp = value("timestamp");
  if (timestamp.empty()) return error(30, "Missing timestamp");
  if (!isTimestamp(timestamp)) return error(31, "Invalid timestamp");
  if (sign != signatureOf(params, key->appSecret)) return error(25, "Invalid signature");
  const std::string version = value("v");
  if (version.empty()) return error(32, "Missing version");
  if (version != "2.0") return error(33, "Invalid version");
  const std::string format = value("format");
  if (!format.empty() && format != "xml") return error(23, "Invalid format");
  if (method != "taobao.item.get") return error(22, "Invalid method");
  const std::string fields = value("fields");
  if (fields.find_first_not_of(' ') == std::string::npos)
    return error(40, "Missing required arguments:fields");
  const std::string id = value("num_iid");
  if (id.empty()) return error(40, "Missing required arguments:num_iid");
  const Item* item = catalogue.item(id);
  if (!item)
    return error(15, "Remote service error", "isv.item-get-service-error:ITEM_NOT_FOUND",
                 "该商品已被删除或不存在");
  return itemGetResponse(*item, fields, hosts, requestId);
}

std::string malformedXml(std::string_view xml) {
  return std::string(xml.substr(0, xml.size() / 2)) + "</malformed>";
}

}  // namespace tessaly::sim
