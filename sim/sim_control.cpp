#include "sim_control.hpp"

#include <cstdlib>

namespace tessaly::sim {

void serveControl(SimServer& server, const httplib::Request& req, httplib::Response& res) {
  const std::string target = req.has_param("target") ? req.get_param_value("target") : "*";
  std::string out = "ok\n";
  if (req.path == "/counters") {
    out.clear();
    for (const char* route : kRoutes) out += std::string(route) + " " + std::to_string(server.requestCount(route)) + "\n";
    out += "total " + std::to_string(server.totalRequests()) + "\n";
  } else if (req.path == "/clear") {
    server.clearFaults();
  } else if (req.path == "/reset-counters") {
    server.resetCounters();
  } else if (req.path == "/fault") {
    Fault fault;
    if (parseFault(req.get_param_value("kind"), fault)) {
      const std::string times = req.get_param_value("times");
      server.setFault(target, fault, times.empty() ? -1 : std::atoi(times.c_str()));
    } else {
      res.status = 400;
      out = "unknown fault kind\n";
    }
  } else if (req.path == "/latency") {
    server.setLatency(target, std::atoi(req.get_param_value("ms").c_str()));
  } else if (req.path == "/failing-keys") {
    std::set<std::string> keys;
    const std::string list = req.get_param_value("keys");
    for (std::size_t start = 0; start < list.size();) {
      const std::size_t comma = std::min(list.find(',', start), list.size());
      if (comma > start) keys.insert(list.substr(start, comma - start));
      start = comma + 1;
    }
    server.setFailingKeys(keys);
  } else {
    res.status = 404;
    out = "unknown control\n";
  }
  res.set_content(out, "text/plain;charset=UTF-8");
}

}  // namespace tessaly::sim
