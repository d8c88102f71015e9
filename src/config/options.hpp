#pragma once
// The settings of the package generation, as the configuration page holds them.
//
// The page writes every edit into one OptionsStore at once, and the package workers read
// the store at the moment they use a value, so a change on the page reaches the next
// item without a save. The one exception is the failure mode for description pictures:
// workers read the store's active copy of it, which only loading and saving the options
// file set, so a new choice in the combo box takes effect only once it is saved.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

namespace tessaly {

// What to do when a description picture cannot be downloaded. The numbers are the
// values of the options file; the combo box lists them at indexes 0, 1, 2.
enum PictureFailureMode : int {
  kNoPictureFailureMode = 0,  // nothing chosen yet
  kKeepPictureAddress = 1,    // "保持不变"
  kDeletePicture = 2,         // "删除图片"
  kRetryThenDelete = 3,       // "重新下载 仍失败删除"
};

// The combo box text of a mode 1-3 (GBK); empty for any other value.
std::string pictureFailureModeText(int mode);
// The mode a combo box text stands for: 0 for the empty text, 1-3 for the three item
// texts, -1 for any other text.
int pictureFailureModeFromText(std::string_view gbkText);

struct Options {
  bool downloadDescPictures = false;  // "下载描述图片"
  bool hostedPicturesOnly = false;    // "只下载淘宝空间图片"
  // Whether the page lets the user change hostedPicturesOnly. Only loading the options
  // sets it (ticked download box -> enabled); ticking the download box later does not.
  bool hostedPicturesOnlyEnabled = true;
  // The combo box selection: 1-3, or 0 while nothing is chosen. A value outside 0-3
  // stands for a combo text that is none of the three items.
  int pictureFailureMode = kNoPictureFailureMode;
  bool adjustPrice = false;          // "价格调整"
  std::string pricePercent = "100";  // as typed, a number in percent
  std::string priceDecimals = "0";   // as typed
  bool unifyStock = false;           // "库存统一为"
  std::string stockValue = "100";    // as typed
  std::string replaceFrom1, replaceTo1;
  std::string replaceFrom2, replaceTo2;
  std::string replaceFrom3, replaceTo3;
  int packageVersion = 5;  // 4 or 5

  bool operator==(const Options&) const = default;
};

class OptionsStore;
struct SaveOptionsResult;
bool loadOptions(std::string_view gbkPath, OptionsStore& store);
SaveOptionsResult saveOptions(std::string_view gbkPath, OptionsStore& store);

// Thread-safe holder of the current Options plus the active failure mode.
class OptionsStore {
 public:
  OptionsStore() = default;
  explicit OptionsStore(Options initial) : options_(std::move(initial)) {}
  OptionsStore(const OptionsStore&) = delete;
  OptionsStore& operator=(const OptionsStore&) = delete;

  Options snapshot() const {
    std::lock_guard lock(mutex_);
    return options_;
  }
  // One field, read at the moment of use: store.get(&Options::pricePercent).
  template <typename T>
  T get(T Options::*field) const {
    std::lock_guard lock(mutex_);
    return options_.*field;
  }
  // One field, as the page writes it on every edit: store.set(&Options::adjustPrice, true).
  template <typename T, typename V>
  void set(T Options::*field, V&& value) {
    std::lock_guard lock(mutex_);
    options_.*field = std::forward<V>(value);
  }
  // Several fields as one step; `edit` must not call back into the store.
  void update(const std::function<void(Options&)>& edit) {
    std::lock_guard lock(mutex_);
    edit(options_);
  }

  // The failure mode the package workers use: 0 until an options file with a valid
  // `fall` value has been loaded or a save with a chosen mode has run.
  int activePictureFailureMode() const { return activePictureFailureMode_.load(); }

 private:
  friend bool loadOptions(std::string_view, OptionsStore&);
  friend SaveOptionsResult saveOptions(std::string_view, OptionsStore&);
  void setActivePictureFailureMode(int mode) { activePictureFailureMode_.store(mode); }

  mutable std::mutex mutex_;
  Options options_;
  std::atomic<int> activePictureFailureMode_{kNoPictureFailureMode};
};

}  // namespace tessaly
