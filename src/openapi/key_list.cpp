#include "openapi/key_list.hpp"

#include <pugixml.hpp>

#include "net/fetch.hpp"
#include "openapi/signing.hpp"
#include "support/gbk.hpp"
#include "support/run_control.hpp"
#include "support/xml_document.hpp"

namespace tessaly {

std::vector<AppKeyPair> parseKeyList(std::string_view document) {
  pugi::xml_document doc;
  if (!doc.load_buffer(document.data(), document.size())) return {};
  std::vector<AppKeyPair> keys;
  const pugi::xml_node root = doc.document_element();
  for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    // pugixml hands out the document's UTF-8; the program's texts are GBK.
    keys.push_back({utf8ToGbk(child.attribute("appkey").value()),
                    utf8ToGbk(child.attribute("appsecret").value())});
  }
  return keys;
}

std::vector<AppKeyPair> loadKeyList(const std::string& vendorBase) {
  return parseKeyList(fetchWithHttpObject(vendorBase + "/app2.xml"));
}

bool fetchItemAnswer(const KeyRotation& rotation, const std::string& itemId, int worker,
                     XmlDocument& answer, RunControl& control,
                     const std::function<void(const std::string&)>& log) {
  static const std::string kFailed = gbk("  通过当前App参数调用'淘宝官方接口'失败！正在尝试下一组App\r\n");
  static const std::string kBusy =
      gbk(" ####################淘宝接口忙,请点'暂停'按钮，更换IP后再点'继续'按钮接着处理\r\n");
  const int count = static_cast<int>(rotation.keys.size());
  if (count == 0) return control.checkpoint();
  const std::string workerText = gbk("线程：") + std::to_string(worker);

  auto load = [&](int k) {
    const AppKeyPair& pair = rotation.keys[static_cast<std::size_t>(k) - 1];
    FetchOptions options;
    options.cancel = control.cancelToken();
    const std::string body =
        fetchUrl(buildItemGetUrl(rotation.gateway, itemId, pair.appkey, pair.appsecret), options);
    answer.loadBytes(std::string_view(body.c_str()));  // the body up to its first zero byte
  };

  int k = rotation.nextKeyIndex.load();
  if (k < 1 || k > count) k = 1;
  if (!control.checkpoint()) return false;
  load(k);
  while (!answer.textAt("@1/msg").empty()) {
    if (++k > count) k = 1;
    if (!control.checkpoint()) return false;
    load(k);
    log(workerText + kFailed);
    if (k == count) {
      k = 1;
      log(workerText + kBusy);
      if (!control.sleepFor(rotation.busyPause)) return false;
    }
  }
  if (control.stopped()) return false;
  rotation.nextKeyIndex.store(k);
  return true;
}

}  // namespace tessaly
