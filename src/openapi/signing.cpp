#include "openapi/signing.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "support/md5.hpp"

namespace tessaly {

const std::string itemFieldList =
    "prop_img.url,prop_img.properties,item_img.url,desc,title,cid,price,num,post_fee,input_str,"
    "input_pids,seller_cids,props,input_pids,input_str,property_alias,sku,outer_id,approve_status,"
    "has_discount,has_invoice,has_warranty,has_showcase,valid_thru,list_time,modified,delist_time,"
    "postage_id,location,freight_payer,post_fee,express_fee,ems_fee,has_warranty ";

std::string apiTimestamp(const std::tm& t) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return buffer;
}

std::string apiTimestampNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  return apiTimestamp(local);
}

std::string composeSignedUrl(std::string_view gateway, const std::string& appKey,
                             const std::string& appSecret, const std::string& sessionKey,
                             const std::string& format, const std::string& signMethod,
                             const std::string& method, std::vector<ApiParam> params,
                             const std::string& timestamp) {
  if (appKey.empty() || appSecret.empty()) return {};
  params.push_back({"app_key", appKey});
  params.push_back({"format", format.empty() ? "xml" : format});
  params.push_back({"sign_method", signMethod.empty() ? "md5" : signMethod});
  params.push_back({"v", "2.0"});
  params.push_back({"method", method});
  params.push_back({"session", sessionKey});
  params.push_back({"timestamp", timestamp});
  // std::string compares as unsigned bytes, a prefix first.
  std::stable_sort(params.begin(), params.end(),
                   [](const ApiParam& a, const ApiParam& b) { return a.name < b.name; });
  std::erase_if(params, [](const ApiParam& p) { return p.name.empty() || p.value.empty(); });

  std::string signedText = appSecret;
  std::string query;
  for (const auto& p : params) {
    signedText += p.name + p.value;
    if (!query.empty()) query += '&';
    query += p.name + "=" + p.value;
  }
  signedText += appSecret;
  return std::string(gateway) + "/router/rest?" + query + "&sign=" + md5HexUpper(signedText);
}

std::string buildItemGetUrl(std::string_view gateway, const std::string& itemId,
                            const std::string& appKey, const std::string& appSecret,
                            const std::string& timestamp) {
  return composeSignedUrl(gateway, appKey, appSecret, "", "xml", "md5", "taobao.item.get",
                          {{"fields", itemFieldList}, {"num_iid", itemId}}, timestamp);
}

std::string buildItemGetUrl(std::string_view gateway, const std::string& itemId,
                            const std::string& appKey, const std::string& appSecret) {
  return buildItemGetUrl(gateway, itemId, appKey, appSecret, apiTimestampNow());
}

}  // namespace tessaly
