#pragma once
// The element table behind XmlDocument, and everything that reads or writes it.
//
// This is the system's own small reader for data-shaped XML (API answers), not a
// conforming parser. Its departures are deliberate and relied upon:
//  - no entity or character reference is decoded;
//  - an element's text is what stands between its start tag and the next "<", and a
//    CDATA section anywhere in it replaces the whole text;
//  - elements are numbered from 1 in the order in which they END, so a parent always has
//    a higher number than its children and the root the highest of all;
//  - comments, declarations and processing instructions are dropped; only the last
//    top-level element can be reached by path.
// All texts are GBK; names and paths compare byte for byte.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct XmlAttribute {
  std::string name;
  std::string value;
  bool operator==(const XmlAttribute&) const = default;
};

struct XmlNode {
  std::string name;
  std::string text;
  std::vector<XmlAttribute> attributes;
  std::vector<int> children;  // element numbers, in document order
  int parent = 0;             // 0 for a top-level element
  int number = 0;
};

class XmlNodeStore {
 public:
  // Serialisation: an element and its subtree appended as XML text. writeXml(0) writes
  // the whole document behind the gb2312 declaration (nothing for a nameless root).
  std::string xmlText() const;
  void writeXml(int number, std::string& text) const;

  // Parses `data` into a fresh store; false (and an empty store) when rejected.
  bool load(std::string_view data, bool forceUtf8 = false, bool quoteAwareSplit = false);
  void clear();

  // -1: no live element with that number; 0: the root; 1: any other live element.
  int checkNode(int number) const;
  // In getNode, setNode, addNode, nameOf and pathOf the number 0 stands for the root.
  bool getNode(int number, XmlNode& node) const;
  // Detaches the element from its parent and releases its subtree; returns the number
  // of elements released, -1 for the root or a dead number.
  int removeNode(int number);
  // Marks the element and all its descendants free; returns how many.
  int releaseSubtree(int number);
  // Replaces the given fields; with `offset`, swaps the element with the sibling that
  // many places away when that position exists.
  bool setNode(int number, const std::string* name, const std::string* text = nullptr,
               const std::vector<XmlAttribute>* attributes = nullptr,
               std::optional<int> offset = std::nullopt);
  // Without a parent: clears the store and creates element 1 as the root. With a live
  // parent: a new last child (reusing a released number first); -1 for a dead parent.
  int addNode(std::optional<int> parent = std::nullopt);

  // Path resolution: "@1" is the root, "@n" the n-th child, "@#n" element number n,
  // anything else the first child (or the root) of that name. -1 when it does not resolve.
  int numberAt(std::string_view path) const;
  // "@1" followed by "/@" + position for each step down; empty for a dead number or an
  // element outside the root's subtree.
  std::string pathOf(int number) const;
  bool nodeAt(std::string_view path, XmlNode& node) const;
  // The live element a path names, or null. The fast way for queries.
  const XmlNode* findNode(std::string_view path) const;

  // Attribute-list utility: "+" appends the attributes written in `text`, "-" removes
  // those named in it, "<" replaces the list by them, ">" renders the list into `text`,
  // "%" updates the values of attributes already present. Other operators do nothing.
  static void editAttributes(std::vector<XmlAttribute>& list, char op, std::string& text);

  int resolveStep(int current, std::string_view component) const;
  std::string nameOf(int number) const;

  // Load steps, exposed as operations of the table.
  // Replaces each CDATA section by marker + "," + n + "." and keeps its content; returns
  // the number of sections, or -1 for a section that never ends (the load then fails).
  int protectCdata(std::string& data);
  bool parse(std::string_view data, bool quoteAwareSplit);
  static void splitOutsideQuotes(std::string_view data, char separator,
                                 std::vector<std::string_view>& pieces);
  static bool endTagName(std::string_view piece, std::string& name);
  bool parseTag(std::string_view piece, std::size_t tagEnd, XmlNode& node, bool isOpen) const;
  // "@" and `length` letters, extended letter by letter until it occurs nowhere in
  // `data`, so a placeholder can never be confused with the document's own bytes.
  static std::string makeMarker(std::string_view data, std::size_t length = 5);
  std::string restoreText(std::string_view bytes) const;
  static bool convertEncoding(std::string& data, bool force);

  int nodeCount() const { return static_cast<int>(nodes_.size()); }
  int rootNumber() const { return rootNumber_; }
  // The marker of the last load; empty when the document held no CDATA section.
  const std::string& cdataMarker() const { return cdataMarker_; }

 private:
  bool isFree(int number) const;
  int liveNumber(int number) const;  // 0 -> root; -1 when dead
  XmlNode& at(int number) { return nodes_[static_cast<std::size_t>(number) - 1]; }
  const XmlNode& at(int number) const { return nodes_[static_cast<std::size_t>(number) - 1]; }

  std::vector<XmlNode> nodes_;
  std::vector<std::string> cdataStore_;
  std::string cdataMarker_;
  int rootNumber_ = 0;
  std::vector<int> freeNumbers_;
  // freeFlags_[n - 1]: n is in freeNumbers_ (an index, so liveness checks stay O(1)).
  std::vector<bool> freeFlags_;
};

}  // namespace tessaly
