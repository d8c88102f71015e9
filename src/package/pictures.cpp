#include "package/pictures.hpp"

#include "app/endpoints.hpp"
#include "net/fetch.hpp"
#include "package/package_format.hpp"
#include "support/file_io.hpp"
#include "support/gbk.hpp"
#include "support/md5.hpp"
#include "support/picture_type.hpp"
#include "support/regex_matcher.hpp"
#include "support/run_control.hpp"
#include "support/text.hpp"
#include "support/timestamp.hpp"
#include "support/xml_document.hpp"

namespace tessaly {
namespace {

const std::string kItem = "item_get_response/item/";

std::string n(int value) { return std::to_string(value); }

std::string withoutAmp(std::string_view address) { return replaceAll(address, "amp;", ""); }

// A picture address with its Chinese characters percent-encoded from their GBK bytes,
// as the picture host expects them.
std::string fetchContent(const std::string& u, RegexMatcher& chinese, const CancelToken& cancel) {
  chinese.create("([\\u4e00-\\u9fa5])");
  const int found = chinese.execute(u);
  if (found == 0) return downloadBytes("http://" + withoutAmp(u), cancel);
  std::string encoded = u;
  for (int j = 1; j <= found; ++j) {
    const std::string character = chinese.subMatch(j, 1);
    encoded = replaceAll(encoded, character, percentEncodeText(character));
  }
  return downloadBytes("http://" + encoded, cancel);
}

}  // namespace

std::string PictureNamer::name(const std::string& title, const std::string& itemId) {
  long long millis = std::stoll(unixMillisText());
  std::lock_guard lock(mutex_);
  for (;; ++millis) {
    std::string candidate = md5Hex(std::to_string(millis) + title + itemId);
    if (used_.insert(candidate).second) return candidate;
  }
}

std::string titleFolderName(const std::string& title, const std::string& itemId) {
  std::string folder;
  for (std::size_t i = 0; i < title.size(); ++i) {
    const auto c = static_cast<unsigned char>(title[i]);
    if (isGbkLeadByte(c) && i + 1 < title.size()) {  // a Chinese character stays whole
      folder += title.substr(i, 2);
      ++i;
    } else if (c >= 0x20 && c != 0x7F && c != '/' && c != '\\' && c != '.' && c != ':' && c != '"') {
      folder += static_cast<char>(c);
    }
  }
  return trimBlanks(folder).empty() ? itemId : folder;
}

bool downloadDescriptionPictures(ItemRecord& record, const PictureJob& job, RegexMatcher& matcher,
                                 RegexMatcher& chineseMatcher) {
  static const std::string kThread = gbk(" 线程：");
  static const std::string kDownloading = gbk("  正在下载第:");
  static const std::string kPicture = gbk(" 个宝贝 描述图片 ");
  static const std::string kSkipped = gbk("  非淘宝空间图片 已跳过\r\n");
  static const std::string kAt = gbk("  第:");
  static const std::string kDeleted = gbk(" 个宝贝 描述图片 字节集为0 已经删除 ");
  static const std::string kRetrying = gbk(" 个宝贝 描述图片 字节集为0 正在重新下载 ");
  static const std::string kRetryFailed = gbk(" 个宝贝 描述图片 字节集为0 重新下载失败===已经删除图片 ");
  if (!job.settings.downloadDescPictures) return true;

  const CancelToken cancel = job.control->cancelToken();
  const std::string worker = kThread + n(job.progress.worker);
  const std::string item = n(job.progress.item) + "/" + n(job.progress.total);
  const std::string folder = job.pictureFolder + kPathSeparatorText + titleFolderName(record.title, record.itemId);
  std::string& desc = record.desc;

  for (const char* pattern : {"<IMG .*?\"http://(.*?)\".*?>", "background=\"\"http://(.*?)\"\""}) {
    matcher.create(pattern);
    const int m = matcher.execute(desc);
    if (m == 0) continue;
    makeDirectories(folder);
    for (int i = 1; i <= m; ++i) {
      if (!job.control->checkpoint()) return false;
      const std::string u = matcher.subMatch(i, 1);
      const std::string at = n(i) + "/" + n(m);
      if (job.settings.hostedPicturesOnly && !containsText(u, "taobao")) {
        job.log(worker + kDownloading + item + kPicture + at + kSkipped);
        continue;
      }
      job.log(worker + kDownloading + item + kPicture + at + "\r\n");
      const std::string typeBytes = downloadBytes("http://" + withoutAmp(u), cancel);
      std::string type = detectPictureType(typeBytes);
      if (type.find(':') != std::string::npos) type = "dat";  // not a picture we know
      const std::string local = folder + kPathSeparatorText + md5Hex(u).substr(8, 16) + "." + type;
      const std::string remote = "http://" + u;
      const std::string localAddress = "file://" + local;

      if (job.settings.hostedPicturesOnly) {
        desc = replaceAllIgnoreCase(desc, remote, localAddress);
        writeWholeFile(local, downloadBytes("http://" + withoutAmp(u), cancel));
        continue;
      }
      std::string content = fetchContent(u, chineseMatcher, cancel);
      if (content.empty() && job.settings.pictureFailureMode == 3) {
        job.log(worker + kAt + item + kRetrying + at + "\r\n");
        content = fetchContent(u, chineseMatcher, cancel);
        if (content.empty()) {
          desc = replaceAllIgnoreCase(desc, remote, "");
          job.log(worker + kAt + item + kRetryFailed + at + "\r\n");
          continue;
        }
      }
      if (!content.empty()) {
        desc = replaceAllIgnoreCase(desc, remote, localAddress);
        writeWholeFile(local, content);
      } else if (job.settings.pictureFailureMode == 2) {
        desc = replaceAllIgnoreCase(desc, remote, "");
        job.log(worker + kAt + item + kDeleted + at + "\r\n");
      }
    }
  }
  return job.control->checkpoint();
}

bool downloadItemPictures(ItemRecord& record, const XmlDocument& answer, const PictureJob& job) {
  struct Kind {
    const char* list;
    const char* caption;
  };
  static const std::string kStart = gbk("  开始下载 第：");
  static const std::string kEach = gbk("  正在下载 第：");
  static const std::string kDone = gbk("  下载完毕 第：");
  const Kind kinds[] = {{"item_imgs", "宝贝主图数据"}, {"prop_imgs", "销售属性图片数据"}};
  const CancelToken cancel = job.control->cancelToken();
  const int version = job.settings.record.packageVersion;
  const std::string item = n(job.progress.item) + "/" + n(job.progress.total);

  for (const Kind& kind : kinds) {
    const bool main = kind.list == kinds[0].list;
    const std::string caption = gbk(kind.caption);
    job.log(kStart + item + gbk("  个宝贝   ") + caption + gbk("！\r\n"));
    const std::string list = kItem + kind.list;
    const int m = answer.childCount(list);
    for (int i = 1; i <= m; ++i) {
      if (!job.control->checkpoint()) return false;
      job.log(kEach + n(i) + "/" + n(m) + gbk("  张 ") + caption + "... \r\n");
      const std::string name = job.namer->name(record.title, record.itemId);
      const std::string entry = list + "/@" + n(i) + "/";
      record.pictureList += main ? mainPictureEntry(name, i - 1, version)
                                 : propertyPictureEntry(name, answer.textAt(entry + "properties"), version);
      writeWholeFile(job.pictureFolder + kPathSeparatorText + name + ".tbi",
                     downloadBytes(answer.textAt(entry + "url"), cancel));
    }
    job.log(kDone + item + gbk("  个宝贝   ") + caption + gbk("！\r\n"));
  }
  return job.control->checkpoint();
}

}  // namespace tessaly
