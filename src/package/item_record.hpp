#pragma once
// One item of the data package, assembled from its item answer.
#include <array>
#include <functional>
#include <string>
#include <utility>

namespace tessaly {

class XmlDocument;

// Every field is GBK text, already decoded, mapped to the package's codes and adjusted.
struct ItemRecord {
  std::string itemId;
  std::string title;
  std::string cid;
  std::string seller_cids;
  std::string state;
  std::string city;
  std::string price;
  std::string num;
  std::string valid_thru;
  std::string freight_payer;
  std::string ems_fee;
  std::string express_fee;
  std::string post_fee;
  std::string list_time;
  std::string props;
  std::string modified;
  std::string approve_status;
  std::string has_warranty;
  std::string skus;
  std::string input_pids;
  std::string input_str;
  std::string outer_id;
  std::string property_alias;
  std::string desc;
  std::string pictureList;
};

// The settings the assembly reads, taken from the options when the item starts so that
// an edit on the configuration page applies from the next item on.
struct RecordSettings {
  bool adjustPrice = false;
  std::string pricePercent = "100";
  std::string priceDecimals;  // a whole number 0-6 rounds adjusted prices; anything else does not
  bool unifyStock = false;
  std::string stockValue = "100";
  int packageVersion = 5;
  // find -> replace pairs for the title and the description; an empty "find" is skipped.
  std::array<std::pair<std::string, std::string>, 3> replacements;
};

// Where the assembly's progress lines go (the text after the time stamp).
using LogLine = std::function<void(const std::string&)>;

// Position of the item in the run, for the progress lines.
struct ItemProgress {
  int worker = 0;
  int item = 0;
  int total = 0;
};

// Fills `record` (everything but pictureList) from the answer loaded in `answer`.
void assembleItemRecord(const XmlDocument& answer, const std::string& itemId,
                        const RecordSettings& settings, const ItemProgress& progress,
                        const LogLine& log, ItemRecord& record);

// The individual rules, exposed for the picture step and for tests.
std::string cleanTitle(std::string_view title);
std::string decodeDescription(std::string_view desc);
std::string adjustPriceText(std::string_view price, const RecordSettings& settings);
std::string mapFreightPayer(std::string_view value, int packageVersion);
std::string mapApproveStatus(std::string_view value);
std::string mapWarranty(std::string_view value);
std::string terminateProps(std::string_view props);

}  // namespace tessaly
