#pragma once
// The program-wide values every part of the program shares.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/endpoints.hpp"

namespace tessaly {

// Which kind of address the gathering page asks for.
enum class AddressMode { None, Single, List, Shop };

// One application key with its secret, as the key list document gives them.
struct AppKeyPair {
  std::string appkey;
  std::string appsecret;
};

struct ProgramState {
  Endpoints endpoints = Endpoints::fromEnvironment();
  std::string vendorBase;    // vendorService + "/kvrt_api/"
  std::vector<AppKeyPair> appKeys;  // read-only once loaded
  std::atomic<int32_t> nextKeyIndex{0};  // 1-based pair a worker tries first
  std::atomic<AddressMode> addressMode{AddressMode::None};
  // Folder (with its trailing separator) and base name of the save path: the picture
  // folder is saveFolder + saveBaseName.
  std::string saveFolder;
  std::string saveBaseName;
};

}  // namespace tessaly
