#include "support/xml_document.hpp"

#include <algorithm>

#include "support/file_io.hpp"

namespace tessaly {
namespace {

XmlAttribute* firstAttribute(XmlNode& node, std::string_view name) {
  for (auto& a : node.attributes)
    if (a.name == name) return &a;
  return nullptr;
}

}  // namespace

XmlNode* XmlDocument::mutableNode(std::string_view path) {
  return const_cast<XmlNode*>(store_.findNode(path));
}

bool XmlDocument::createRoot(const std::string& name) {
  if (name.empty() || name[0] == '@' || name[0] == '<' || name[0] == ' ' || name[0] == '\t' ||
      name[0] == '\r' || name[0] == '\n')
    return false;
  store_.addNode();
  return store_.setNode(1, &name);
}

bool XmlDocument::loadBytes(std::string_view data, bool forceUtf8, bool quoteAwareSplit) {
  return store_.load(data, forceUtf8, quoteAwareSplit);
}

bool XmlDocument::saveFile(const std::string& path) const {
  return writeWholeFile(path, store_.xmlText()).ok;
}

bool XmlDocument::readRootName(std::string& name) const {
  if (store_.checkNode(store_.rootNumber()) < 0) return false;
  name = store_.nameOf(0);
  return true;
}

std::string XmlDocument::rootName(bool* found) const {
  std::string name;
  const bool ok = readRootName(name);
  if (found) *found = ok;
  return name;
}

bool XmlDocument::childCountAt(std::string_view path, int& count) const {
  const XmlNode* node = store_.findNode(path);
  if (!node) return false;
  count = static_cast<int>(node->children.size());
  return true;
}

int XmlDocument::childCount(std::string_view path, bool* found) const {
  int count = 0;
  const bool ok = childCountAt(path, count);
  if (found) *found = ok;
  return count;
}

bool XmlDocument::childNamesAt(std::string_view path, std::vector<std::string>& names) const {
  const XmlNode* node = store_.findNode(path);
  if (!node) return false;
  names.clear();
  for (int child : node->children) names.push_back(store_.nameOf(child));
  return true;
}

std::string XmlDocument::textAt(std::string_view path) const {
  const XmlNode* node = store_.findNode(path);
  return node ? node->text : std::string();
}

bool XmlDocument::attributeNamesAt(std::string_view path, std::vector<std::string>& names) const {
  const XmlNode* node = store_.findNode(path);
  if (!node) return false;
  names.clear();
  for (const auto& a : node->attributes) names.push_back(a.name);
  return true;
}

bool XmlDocument::attributeAt(std::string_view path, std::string_view name,
                              std::string& value) const {
  const XmlNode* node = store_.findNode(path);
  if (!node) return false;
  for (const auto& a : node->attributes)
    if (a.name == name) {
      value = a.value;
      return true;
    }
  return false;
}

int XmlDocument::attributeCount(std::string_view path, bool* found) const {
  const XmlNode* node = store_.findNode(path);
  if (found) *found = node != nullptr;
  return node ? static_cast<int>(node->attributes.size()) : 0;
}

bool XmlDocument::addChildAt(std::string_view path, const std::string& name,
                             const std::string& text) {
  const int parent = store_.numberAt(path);
  if (parent < 0) return false;
  const int child = store_.addNode(parent);
  return child > 0 && store_.setNode(child, &name, &text);
}

bool XmlDocument::addAttributeAt(std::string_view path, const std::string& name,
                                 const std::string& value) {
  XmlNode* node = mutableNode(path);
  if (!node) return false;
  node->attributes.push_back({name, value});
  return true;
}

bool XmlDocument::removeAt(std::string_view path) {
  const int number = store_.numberAt(path);
  return number > 0 && store_.removeNode(number) > 0;
}

bool XmlDocument::removeAttributeAt(std::string_view path, std::string_view name) {
  XmlNode* node = mutableNode(path);
  if (!node) return false;
  auto& list = node->attributes;
  const auto it = std::find_if(list.begin(), list.end(),
                               [&](const XmlAttribute& a) { return a.name == name; });
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

bool XmlDocument::renameAt(std::string_view path, const std::string& newName) {
  XmlNode* node = mutableNode(path);
  if (!node) return false;
  node->name = newName;
  return true;
}

bool XmlDocument::setTextAt(std::string_view path, const std::string& text) {
  XmlNode* node = mutableNode(path);
  if (!node) return false;
  node->text = text;
  return true;
}

bool XmlDocument::renameAttributeAt(std::string_view path, std::string_view name,
                                    const std::string& newName) {
  XmlNode* node = mutableNode(path);
  XmlAttribute* a = node ? firstAttribute(*node, name) : nullptr;
  if (!a) return false;
  a->name = newName;
  return true;
}

bool XmlDocument::setAttributeAt(std::string_view path, std::string_view name,
                                 const std::string& value) {
  XmlNode* node = mutableNode(path);
  XmlAttribute* a = node ? firstAttribute(*node, name) : nullptr;
  if (!a) return false;
  a->value = value;
  return true;
}

}  // namespace tessaly
