#include "gui/session.hpp"

namespace tessaly {

Session::Session(const Endpoints& endpoints, std::string runDirectory)
    : runDirectory(std::move(runDirectory)) {
  state.endpoints = endpoints;
  state.vendorBase = endpoints.vendorService + "/kvrt_api/";
}

}  // namespace tessaly
