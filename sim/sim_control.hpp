#pragma once
// ctl.localhost: run-time switches of the stand-alone simulator, for scripts and
// benchmarks that drive it from outside the process.
#include <httplib.h>

#include "sim_server.hpp"

namespace tessaly::sim {

//   /counters                                   one "route count" line per route, then "total n"
//   /fault?target=gw&kind=hang[&times=1]        kinds as parseFault names them
//   /latency?target=img&ms=200
//   /failing-keys?keys=k1,k2                    empty: none
//   /clear   /reset-counters
void serveControl(SimServer& server, const httplib::Request& req, httplib::Response& res);

}  // namespace tessaly::sim
