// What the shared record holds after the engine has run: the request, the interim record
// or the final one.
#include "net/http_engine.hpp"

#include <gtest/gtest.h>

#include "wire_helpers.hpp"

namespace tessaly {
namespace {

using testing::at;
using testing::RawHttpServer;
using State = FetchRecord::State;

TEST(RunHttpRequest, RecordTellsHowFarTheExchangeGot) {
  RawHttpServer server([](const std::string& request) -> RawHttpServer::Reply {
    if (request.starts_with("GET /silent ")) return std::string();
    return RawHttpServer::response(200, "body");
  });
  int refusedPort;
  {
    RawHttpServer closed([](const std::string&) { return std::string(); });
    refusedPort = closed.port();
  }
  struct Case {
    const char* name;
    bool active;
    std::string address;
    const char* method;
    State state;
    bool completed;
    std::string body;
  } cases[] = {
      {"inactive", false, at(server, "rec", "/"), "", State::Request, false, ""},
      {"refused method", true, at(server, "rec", "/"), "PUT", State::Interim, false, ""},
      {"no answer in time", true, at(server, "rec", "/silent"), "", State::Interim, false, ""},
      // A connection that cannot be made is a failed send: the result is final and empty.
      {"refused port", true, "http://127.0.0.1:" + std::to_string(refusedPort) + "/", "",
       State::Final, true, ""},
      {"answered", true, at(server, "rec", "/"), "get", State::Final, true, "body"},
  };
  for (const auto& c : cases) {
    FetchRecord record;
    record.request.active = c.active;
    record.request.address = c.address;
    record.request.method = c.method;
    record.result.body = "untouched";
    if (!c.active) record.result.completed = true;
    runHttpRequest(record, std::chrono::milliseconds(300));
    EXPECT_EQ(record.state, c.state) << c.name;
    if (c.state == State::Request) {
      EXPECT_EQ(record.result.body, "untouched") << c.name;
      continue;
    }
    EXPECT_EQ(record.result.completed, c.completed) << c.name;
    EXPECT_EQ(record.result.body, c.body) << c.name;
    EXPECT_EQ(record.request.address, c.address) << c.name;
  }
  // Two requests reached the server: the silent one and the answered one.
  EXPECT_EQ(server.requests().size(), 2u);
}

}  // namespace
}  // namespace tessaly
