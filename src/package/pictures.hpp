#pragma once
// An item's pictures: those in its description (downloaded into a folder of their own,
// the description then pointing at the local copies), its main pictures and its
// sales-property pictures (stored as .tbi files and listed in the record's pictureList).
#include <mutex>
#include <set>
#include <string>

#include "package/batch_runner.hpp"
#include "package/item_record.hpp"

namespace tessaly {

class XmlDocument;
class RegexMatcher;
class RunControl;

// Names for main and property pictures, 32 lower-case hexadecimal characters, never
// repeated within a run: two pictures named in the same millisecond get the next one.
class PictureNamer {
 public:
  std::string name(const std::string& title, const std::string& itemId);

 private:
  std::mutex mutex_;
  std::set<std::string> used_;
};

struct PictureJob {
  std::string pictureFolder;  // absolute, GBK, no trailing separator
  RunSettings settings;
  ItemProgress progress;
  LogLine log;
  RunControl* control = nullptr;
  PictureNamer* namer = nullptr;
};

// The folder an item's description pictures go to: the title without "/", "\", ".",
// ":", quotes and control characters; the item id when nothing is left.
std::string titleFolderName(const std::string& title, const std::string& itemId);

// Both description passes (picture tags, then background addresses). False when the run
// was stopped meanwhile.
bool downloadDescriptionPictures(ItemRecord& record, const PictureJob& job, RegexMatcher& matcher,
                                 RegexMatcher& chineseMatcher);
// Main pictures, then property pictures. False when the run was stopped meanwhile.
bool downloadItemPictures(ItemRecord& record, const XmlDocument& answer, const PictureJob& job);

}  // namespace tessaly
