#pragma once
// One complete HTTP exchange with the exact request lines the marketplace has always
// seen from this program: its User-Agent, the default Accept, Referer and
// Accept-Language lines, an optional Cookie line, and the process-wide cookie store.
#include <chrono>
#include <string>

#include "support/cancel_token.hpp"

namespace tessaly {

struct FetchRequest {
  bool active = false;  // nothing happens unless set
  std::string address;  // "http://" + host + path and query
  std::string method;   // "GET", "POST" (any letter case) or empty for GET
  std::string body;     // sent with POST only
  std::string cookies;  // "name=value; name2=value2" for the Cookie line
  bool wantCookies = false;
  std::string proxy;     // host:port; empty for a direct connection
  std::string headers;   // extra header lines, each ending in CR LF
  std::string userName;  // credentials for a server that asks for them
  std::string password;
  bool wantHeaders = false;
  bool keepCookies = false;  // let the process-wide cookie store take part
};

struct FetchResult {
  bool completed = false;  // false in the interim record written just before sending
  std::string headerText;  // the final response's raw header block, CR LF form
  std::string cookieText;  // cookies set by the response, "name=value; ..."
  std::string body;
};

// The record an exchange reports through: it holds the request until the engine
// publishes the interim result just before sending, then the final one.
struct FetchRecord {
  enum class State { Request, Interim, Final };
  State state = State::Request;
  FetchRequest request;
  FetchResult result;
};

// Performs the exchange described by `record.request` on the calling thread and writes
// its outcome into the record. `limit` bounds the whole exchange, redirects included;
// `cancel` breaks it off at once. Running out of time or being cancelled leaves the
// interim record, as does a refused method; an inactive request or one whose connection
// cannot even be set up leaves the request in place. A refused connection or a failed
// read still gives a final record, with what arrived as its body.
void runHttpRequest(FetchRecord& record, std::chrono::milliseconds limit,
                    const CancelToken& cancel = CancelToken());

// The cookies of a header block, as "name=value; ..." in header order; lines with an
// empty value or without ";" are left out. Appends to `out`.
void appendSetCookies(const std::string& headerBlock, std::string& out);

}  // namespace tessaly
