#pragma once
// The signed GET address of an open-platform call. Pure: no state, no network; any
// thread may call it at any time.
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct ApiParam {
  std::string name;
  std::string value;
};

// The "fields" value of every item request: 34 entries, some repeated, and a trailing
// blank; sent and signed exactly as it stands.
extern const std::string itemFieldList;

// "YYYY-MM-DD HH:MM:SS" of a local time.
std::string apiTimestamp(const std::tm& local);
// The same for the current local time.
std::string apiTimestampNow();

// Completes `params` with the common parameters, sorts them by name (bytes, unsigned),
// drops those with an empty name or value, signs secret + name value ... + secret with
// MD5 (upper-case hexadecimal) and returns gateway + "/router/rest?" + the unencoded
// query + "&sign=" + signature. Empty when the key or the secret is empty. An empty
// format means "xml", an empty sign method "md5".
std::string composeSignedUrl(std::string_view gateway, const std::string& appKey,
                             const std::string& appSecret, const std::string& sessionKey,
                             const std::string& format, const std::string& signMethod,
                             const std::string& method, std::vector<ApiParam> params,
                             const std::string& timestamp);

// The address of taobao.item.get for one item, signed with one key pair.
std::string buildItemGetUrl(std::string_view gateway, const std::string& itemId,
                            const std::string& appKey, const std::string& appSecret,
                            const std::string& timestamp);
std::string buildItemGetUrl(std::string_view gateway, const std::string& itemId,
                            const std::string& appKey, const std::string& appSecret);

}  // namespace tessaly
