#pragma once
// The application key pairs every API call is signed with: downloaded once at start-up
// from the vendor's service, and rotated through whenever the platform refuses a call.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/program_state.hpp"

namespace tessaly {

class XmlDocument;
class RunControl;

// The pairs of a key list document: attributes appkey and appsecret of each child of the
// root, in order (a missing attribute gives empty text). Empty when the bytes are not a
// document or the root has no children.
std::vector<AppKeyPair> parseKeyList(std::string_view document);

// Downloads vendorBase + "/app2.xml" and parses it.
std::vector<AppKeyPair> loadKeyList(const std::string& vendorBase);

// What a worker needs to fetch an item's answer.
struct KeyRotation {
  const std::vector<AppKeyPair>& keys;
  std::atomic<int32_t>& nextKeyIndex;  // 1-based, shared by all workers
  std::string gateway;                 // ApiGateway
  std::chrono::milliseconds busyPause{5000};  // after each pass through the whole list
};

// Fetches the item's answer into `answer`, moving on to the next key pair while the
// platform answers with an error (a non-empty "@1/msg"), with the busy line and pause
// after every pass through the list. Pause waits and stop ends the loop at once:
// false when stopped, the answer then being of no use. `log` receives the message of
// each line (the time stamp is the log's business).
bool fetchItemAnswer(const KeyRotation& rotation, const std::string& itemId, int worker,
                     XmlDocument& answer, RunControl& control,
                     const std::function<void(const std::string&)>& log);

}  // namespace tessaly
