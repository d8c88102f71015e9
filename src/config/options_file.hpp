#pragma once
// The options file: an INI file in GBK under the run directory, read once at start-up
// and written when the user saves the configuration page.
//
// [DL_PIC]  download, taobao_only ("真"/"假"), fall ("1"-"3")
// [PR_INFO] p_type, n_type ("真"/"假"), price, price_num, num (texts as typed)
// [REPLACE] 1, 2, 3 (replacement sources), to1, to3, to2 (their targets; note that to3
//           holds the target of the second replacement and to2 that of the third)
// [SAVE]    type ("4" or "5")
#include <string>
#include <string_view>

#include "config/options.hpp"

namespace tessaly {

// run directory + "/options/options.ini".
std::string optionsFilePath(std::string_view runDirectory);

// Reads the file into the store, key by key. A missing file or key reads as the empty
// text: check boxes come out unticked, the number and replacement texts empty, the
// version 5. A `fall` of "1"-"3" or empty (mode 3) sets both the combo selection and the
// active failure mode; any other `fall` leaves both as they were. Values lose blanks at
// their ends. Returns whether the file could be read (the fall-backs apply either way).
bool loadOptions(std::string_view gbkPath, OptionsStore& store);

struct SaveOptionsResult {
  enum class Outcome {
    Saved,                 // every key written
    NoPictureFailureMode,  // nothing chosen in the combo: only the four check boxes written
    WriteFailed,           // the file could not be written; `error` says why
  };
  Outcome outcome = Outcome::WriteFailed;
  std::string message;  // what the page shows (GBK)
  std::string error;    // WriteFailed: the reason (GBK)
  bool ok() const { return outcome == Outcome::Saved; }
};

// Writes the store's options into the file, keeping any other keys the file holds, and
// creates the options folder when it is missing. Order of the save: the four check
// boxes; then the failure mode - nothing chosen stops the save here with
// "请设置图片下载失败处理方式"; a chosen mode is written to `fall` and becomes the active
// mode; then prices and stock, replacements, version. The file changes in one step.
SaveOptionsResult saveOptions(std::string_view gbkPath, OptionsStore& store);

}  // namespace tessaly
