#include "config/options_file.hpp"

// Debian's SimpleIni keeps its definitions behind SI_IMPLEMENTATION; this is the one
// translation unit that uses it, so it instantiates them here.
#define SI_IMPLEMENTATION
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <algorithm>

#include "support/file_io.hpp"
#include "support/gbk.hpp"

namespace tessaly {
namespace {

const std::string& yesText() {
  static const std::string kText = gbk("真");
  return kText;
}
const std::string& noText() {
  static const std::string kText = gbk("假");
  return kText;
}

// An INI document with the reading rules of a Windows profile file: section and key
// names ignore case, a missing key reads as the empty text, values lose blanks at their
// ends, and of two equal keys the first one counts.
class ProfileDocument {
 public:
  ProfileDocument() : ini_(/*utf8=*/false, /*multiKey=*/true, /*multiLine=*/false) {}

  // False when the file cannot be read; the document is then empty.
  bool load(std::string_view gbkPath) {
    const std::optional<std::string> bytes = readWholeFile(gbkPath);
    if (!bytes || ini_.LoadData(*bytes) < 0) {
      ini_.Reset();
      return false;
    }
    return true;
  }

  std::string read(const char* section, const char* key) const {
    const char* value = ini_.GetValue(section, key, nullptr);
    return value ? std::string(value) : std::string();
  }

  void write(const char* section, const char* key, std::string_view value) {
    // A line break would end the value early and let the rest pass for keys of its
    // own; the page's boxes are single-line, so a blank stands in for it.
    std::string line(value);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    ini_.SetValue(section, key, line.c_str(), nullptr, /*forceReplace=*/true);
  }

  // The whole document as the bytes of a Windows profile file: CR LF line ends, no
  // blanks around "=", sections and keys in the order they were first written or read.
  std::string text() const {
    std::string out;
    CSimpleIniA::TNamesDepend sections;
    ini_.GetAllSections(sections);
    sections.sort(CSimpleIniA::Entry::LoadOrder());
    // Keys standing before any section header must stay there.
    sections.sort([](const CSimpleIniA::Entry& a, const CSimpleIniA::Entry& b) {
      return *a.pItem == '\0' && *b.pItem != '\0';
    });
    for (const CSimpleIniA::Entry& section : sections) {
      appendComment(out, section.pComment);
      if (*section.pItem) out.append("[").append(section.pItem).append("]\r\n");
      CSimpleIniA::TNamesDepend keys;
      ini_.GetAllKeys(section.pItem, keys);
      keys.sort(CSimpleIniA::Entry::LoadOrder());
      for (const CSimpleIniA::Entry& key : keys) {
        CSimpleIniA::TNamesDepend values;
        ini_.GetAllValues(section.pItem, key.pItem, values);
        for (const CSimpleIniA::Entry& value : values) {
          appendComment(out, value.pComment);
          out.append(key.pItem).append("=").append(value.pItem).append("\r\n");
        }
      }
    }
    return out;
  }

 private:
  static void appendComment(std::string& out, const char* comment) {
    if (!comment) return;
    std::string_view rest(comment);
    while (!rest.empty()) {
      const std::size_t end = std::min(rest.find('\n'), rest.size());
      std::string_view line = rest.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      out.append(line).append("\r\n");
      rest.remove_prefix(std::min(end + 1, rest.size()));
    }
  }

  CSimpleIniA ini_;
};

const std::string& flag(bool ticked) {
  return ticked ? yesText() : noText();
}

}  // namespace

std::string optionsFilePath(std::string_view runDirectory) {
  std::string path(runDirectory);
  if (path.empty() || path.back() != '/') path += '/';
  return path + "options/options.ini";
}

bool loadOptions(std::string_view gbkPath, OptionsStore& store) {
  ProfileDocument file;
  const bool read = file.load(gbkPath);

  // `fall`: empty (a missing key too) means mode 3; any text but "1"-"3" leaves the
  // combo and the active mode alone.
  const std::string fall = file.read("DL_PIC", "fall");
  int mode = -1;
  if (fall.empty())
    mode = kRetryThenDelete;
  else if (fall == "1")
    mode = kKeepPictureAddress;
  else if (fall == "2")
    mode = kDeletePicture;
  else if (fall == "3")
    mode = kRetryThenDelete;

  store.update([&](Options& o) {
    o.downloadDescPictures = file.read("DL_PIC", "download") == yesText();
    o.hostedPicturesOnly = file.read("DL_PIC", "taobao_only") == yesText();
    o.adjustPrice = file.read("PR_INFO", "p_type") == yesText();
    o.unifyStock = file.read("PR_INFO", "n_type") == yesText();
    o.hostedPicturesOnlyEnabled = o.downloadDescPictures;
    if (mode > 0) o.pictureFailureMode = mode;
    // The read texts replace the boxes even when empty: a missing key empties its box.
    o.pricePercent = file.read("PR_INFO", "price");
    o.priceDecimals = file.read("PR_INFO", "price_num");
    o.stockValue = file.read("PR_INFO", "num");
    o.replaceFrom1 = file.read("REPLACE", "1");
    o.replaceFrom2 = file.read("REPLACE", "2");
    o.replaceFrom3 = file.read("REPLACE", "3");
    o.replaceTo1 = file.read("REPLACE", "to1");
    o.replaceTo2 = file.read("REPLACE", "to3");
    o.replaceTo3 = file.read("REPLACE", "to2");
    o.packageVersion = file.read("SAVE", "type") == "4" ? 4 : 5;
  });
  if (mode > 0) store.setActivePictureFailureMode(mode);
  return read;
}

SaveOptionsResult saveOptions(std::string_view gbkPath, OptionsStore& store) {
  const Options o = store.snapshot();
  ProfileDocument file;
  file.load(gbkPath);  // keys the page does not know about stay as they are

  file.write("DL_PIC", "download", flag(o.downloadDescPictures));
  file.write("DL_PIC", "taobao_only", flag(o.hostedPicturesOnly));
  file.write("PR_INFO", "p_type", flag(o.adjustPrice));
  file.write("PR_INFO", "n_type", flag(o.unifyStock));

  const bool modeChosen = o.pictureFailureMode != kNoPictureFailureMode;
  if (modeChosen) {
    if (o.pictureFailureMode >= 1 && o.pictureFailureMode <= 3) {
      file.write("DL_PIC", "fall", std::to_string(o.pictureFailureMode));
      store.setActivePictureFailureMode(o.pictureFailureMode);
    }
    file.write("PR_INFO", "price", o.pricePercent);
    file.write("PR_INFO", "price_num", o.priceDecimals);
    file.write("PR_INFO", "num", o.stockValue);
    file.write("REPLACE", "1", o.replaceFrom1);
    file.write("REPLACE", "2", o.replaceFrom2);
    file.write("REPLACE", "3", o.replaceFrom3);
    file.write("REPLACE", "to1", o.replaceTo1);
    file.write("REPLACE", "to3", o.replaceTo2);
    file.write("REPLACE", "to2", o.replaceTo3);
    file.write("SAVE", "type", o.packageVersion == 4 ? "4" : "5");
  }

  SaveOptionsResult result;
  const std::string folder = parentFolder(gbkPath);
  WriteResult written;
  if (!folder.empty() && !makeDirectories(folder))
    written = {false, folder + ": " + gbk("无法创建文件夹")};
  else
    written = writeWholeFileAtomically(gbkPath, file.text());
  if (!written.ok) {
    result.outcome = SaveOptionsResult::Outcome::WriteFailed;
    result.error = written.error;
    result.message = gbk("保存失败：") + written.error;
  } else if (!modeChosen) {
    result.outcome = SaveOptionsResult::Outcome::NoPictureFailureMode;
    result.message = gbk("请设置图片下载失败处理方式");
  } else {
    result.outcome = SaveOptionsResult::Outcome::Saved;
    result.message = gbk("已经保存！");
  }
  return result;
}

}  // namespace tessaly
