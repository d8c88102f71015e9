#pragma once
// The open platform's REST gateway: checks a request the way the platform does (method,
// key, signature, arguments) and answers item_get_response or error_response XML,
// declared and encoded as UTF-8.
#include <string>
#include <string_view>
#include <set>
#include <utility>
#include <vector>

#include "catalogue.hpp"

namespace tessaly::sim {

using QueryParams = std::vector<std::pair<std::string, std::string>>;

// The platform's signature: the secret, every parameter but "sign" with a non-empty name
// and value as name followed by value, sorted by name byte by byte, the secret again;
// MD5 of those bytes as upper-case hexadecimal.
std::string signatureOf(const QueryParams& params, std::string_view secret);

struct GatewayHosts {
  std::string item;   // host[:port] of item pages
  std::string image;  // host[:port] of pictures
};

// The answer to one /router/rest request (decoded parameters). `requestTarget` seeds the
// request id, so equal requests get equal answers.
std::string answerRestRequest(const Catalogue& catalogue, const QueryParams& params,
                              const std::set<std::string>& failingKeys,
                              const GatewayHosts& hosts, std::string_view requestTarget);

// The item answer holding the fields named in `fields` (the request's comma list).
std::string itemGetResponse(const Item& item, std::string_view fields, const GatewayHosts& hosts,
                            std::string_view requestId);
std::string errorResponse(int code, std::string_view msg, std::string_view subCode,
                          std::string_view subMsg, std::string_view requestId);

// A document cut in half and closed with an end tag that matches nothing.
std::string malformedXml(std::string_view xml);

}  // namespace tessaly::sim
