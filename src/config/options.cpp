#include "config/options.hpp"

#include "support/gbk.hpp"

namespace tessaly {
namespace {

const std::string& modeText(int index) {
  static const std::string kTexts[3] = {gbk("保持不变"), gbk("删除图片"),
                                        gbk("重新下载 仍失败删除")};
  return kTexts[index];
}

}  // namespace

std::string pictureFailureModeText(int mode) {
  return mode >= 1 && mode <= 3 ? modeText(mode - 1) : std::string();
}

int pictureFailureModeFromText(std::string_view gbkText) {
  if (gbkText.empty()) return kNoPictureFailureMode;
  for (int mode = 1; mode <= 3; ++mode)
    if (gbkText == modeText(mode - 1)) return mode;
  return -1;
}

}  // namespace tessaly
