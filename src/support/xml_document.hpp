#pragma once
// XmlDocument: the reader the package workers load every item answer into, and query by
// path ("item_get_response/item/title", "@1/msg", "item_get_response/item/skus/@2/price").
// See xml_node_store.hpp for what it reads and how it departs from standard XML.
#include <string>
#include <string_view>
#include <vector>

#include "support/xml_node_store.hpp"

namespace tessaly {

class XmlDocument {
 public:
  // Root of the given name in an emptied document; refuses an empty name and one that
  // starts with "@", "<" or whitespace.
  bool createRoot(const std::string& name);
  // Parses `data` into a fresh document; false (and an empty document) when rejected.
  bool loadBytes(std::string_view data, bool forceUtf8 = false, bool quoteAwareSplit = false);
  bool saveFile(const std::string& path) const;
  void clear() { store_.clear(); }

  bool readRootName(std::string& name) const;
  bool childCountAt(std::string_view path, int& count) const;
  bool childNamesAt(std::string_view path, std::vector<std::string>& names) const;
  // The text of the element at `path`; empty when the path does not resolve.
  std::string textAt(std::string_view path) const;
  bool attributeNamesAt(std::string_view path, std::vector<std::string>& names) const;
  bool attributeAt(std::string_view path, std::string_view name, std::string& value) const;

  bool addChildAt(std::string_view path, const std::string& name, const std::string& text);
  bool addAttributeAt(std::string_view path, const std::string& name, const std::string& value);
  bool removeAt(std::string_view path);
  bool removeAttributeAt(std::string_view path, std::string_view name);
  bool renameAt(std::string_view path, const std::string& newName);
  bool setTextAt(std::string_view path, const std::string& text);
  bool renameAttributeAt(std::string_view path, std::string_view name, const std::string& newName);
  bool setAttributeAt(std::string_view path, std::string_view name, const std::string& value);

  std::string rootName(bool* found = nullptr) const;
  // The number of children of the element at `path`; 0 when the path does not resolve.
  int childCount(std::string_view path, bool* found = nullptr) const;
  int attributeCount(std::string_view path, bool* found = nullptr) const;
  std::string toBytes() const { return store_.xmlText(); }

  XmlNodeStore nodeStore() const { return store_; }
  void setNodeStore(const XmlNodeStore& store) { store_ = store; }
  const XmlNodeStore& store() const { return store_; }

 private:
  XmlNode* mutableNode(std::string_view path);

  XmlNodeStore store_;
};

}  // namespace tessaly
