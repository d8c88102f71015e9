#include "support/xml_node_store.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "support/gbk.hpp"
#include "support/text.hpp"

namespace tessaly {
namespace {

constexpr std::string_view kCdataOpen = "<![CDATA[";
constexpr std::string_view kCdataClose = "]]>";

inline bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isBlank(std::string_view s) {
  return std::all_of(s.begin(), s.end(), isSpace);
}

// A token that is "/" once whitespace is removed: the self-closing slash, never an
// attribute.
bool isSlashToken(std::string_view token) {
  bool slash = false;
  for (char c : token) {
    if (isSpace(c)) continue;
    if (c != '/' || slash) return false;
    slash = true;
  }
  return slash;
}

// The leading decimal digits of s as a number (0 when there are none).
long long leadingNumber(std::string_view s) {
  long long n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    n = n * 10 + (c - '0');
    if (n > INT32_MAX) return INT32_MAX;
  }
  return n;
}

// Deletes every `ws` directly before (or after) an "=", as often as it stands there.
std::string squeezeAroundEquals(std::string_view head) {
  std::string s(head);
  for (char ws : {' ', '\t', '\r', '\n'}) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
      if (c == '=')
        while (!out.empty() && out.back() == ws) out.pop_back();
      out += c;
    }
    s.swap(out);
  }
  for (char ws : {' ', '\t', '\r', '\n'}) {
    std::string out;
    out.reserve(s.size());
    bool afterEquals = false;
    for (char c : s) {
      if (afterEquals && c == ws) continue;
      afterEquals = c == '=' || (afterEquals && c == ws);
      out += c;
    }
    s.swap(out);
  }
  return s;
}

// Cuts at blanks (0x20 only) that are not between double quotes.
std::vector<std::string_view> tokensOutsideQuotes(std::string_view s) {
  std::vector<std::string_view> tokens;
  bool inQuotes = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"') inQuotes = !inQuotes;
    if (s[i] == ' ' && !inQuotes) {
      tokens.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  tokens.push_back(s.substr(start));
  return tokens;
}

// Attributes as written in a tag: name="value" tokens separated by blanks.
bool readAttributes(std::string_view text, std::vector<XmlAttribute>& out) {
  const std::string squeezed = squeezeAroundEquals(text);
  for (std::string_view token : tokensOutsideQuotes(squeezed)) {
    if (isBlank(token)) continue;
    const std::size_t eq = token.find('=');
    if (eq == std::string_view::npos) return false;
    std::string value(token.substr(eq + 1));
    value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
    out.push_back({std::string(token.substr(0, eq)), std::move(value)});
  }
  return true;
}

}  // namespace

void XmlNodeStore::clear() {
  nodes_.clear();
  cdataStore_.clear();
  cdataMarker_.clear();
  rootNumber_ = 0;
  freeNumbers_.clear();
  freeFlags_.clear();
}

bool XmlNodeStore::isFree(int number) const {
  const auto index = static_cast<std::size_t>(number) - 1;
  return index < freeFlags_.size() && freeFlags_[index];
}

int XmlNodeStore::checkNode(int number) const {
  if (number < 1 || number > nodeCount() || isFree(number)) return -1;
  return number == rootNumber_ ? 0 : 1;
}

int XmlNodeStore::liveNumber(int number) const {
  if (number == 0) number = rootNumber_;
  return checkNode(number) >= 0 ? number : -1;
}

bool XmlNodeStore::getNode(int number, XmlNode& node) const {
  const int n = liveNumber(number);
  if (n < 0) return false;
  node = at(n);
  return true;
}

std::string XmlNodeStore::nameOf(int number) const {
  const int n = liveNumber(number);
  return n < 0 ? std::string() : at(n).name;
}

// ---- load ------------------------------------------------------------------

namespace {

// The bytes up to the first zero byte: the part of the data the encoding step reads.
std::string_view textUpToZero(std::string_view data) {
  const void* zero = std::memchr(data.data(), 0, data.size());
  if (!zero) return data;
  return data.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - data.data()));
}

// Case-insensitive search for an ASCII word, byte by byte: the data is not GBK yet.
std::size_t findAsciiWordIgnoreCase(std::string_view text, std::string_view word) {
  if (word.empty() || text.size() < word.size()) return std::string_view::npos;
  const auto lower = [](char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  };
  for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < word.size() && lower(text[i + k]) == word[k]) ++k;
    if (k == word.size()) return i;
  }
  return std::string_view::npos;
}

// True when the declared encoding (or `force`) asks for UTF-8 -> GBK. The value is what
// stands between the word "encoding" and the next "?>", with "=" and double quotes
// removed, trimmed and lower-cased; "gb2312" always wins over `force`.
bool wantsUtf8Conversion(std::string_view text, bool force) {
  std::string value;
  const std::size_t word = findAsciiWordIgnoreCase(text, "encoding");
  if (word != std::string_view::npos) {
    const std::size_t from = word + 8;
    const std::size_t end = text.find("?>", from);
    if (end != std::string_view::npos) {
      for (char c : text.substr(from, end - from))
        if (c != '=' && c != '"') value += c;
      value = trimBlanks(value);
      std::transform(value.begin(), value.end(), value.begin(), [](char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
      });
    }
  }
  if (value == "gb2312") return false;
  return value == "utf-8" || force;
}

}  // namespace

bool XmlNodeStore::convertEncoding(std::string& data, bool force) {
  const std::string_view text = textUpToZero(data);
  if (!wantsUtf8Conversion(text, force)) return false;
  data = utf8ToGbk(text);
  return true;
}

std::string XmlNodeStore::makeMarker(std::string_view data, std::size_t length) {
  // A marker that occurs nowhere in the data cannot be confused with it. Letters come
  // from a small fixed generator; the marker grows until it is absent, which it must
  // become before it is longer than the data.
  std::uint32_t state = 0x9E3779B9u ^ static_cast<std::uint32_t>(data.size());
  auto letter = [&state] {
    state = state * 1664525u + 1013904223u;
    return static_cast<char>('A' + (state >> 16) % 26);
  };
  std::string marker = "@";
  for (std::size_t i = 0; i < length; ++i) marker += letter();
  while (data.find(marker) != std::string_view::npos) marker += letter();
  return marker;
}

int XmlNodeStore::protectCdata(std::string& data) {
  // Without a section there is nothing to protect, and no marker to look for later.
  std::size_t open = data.find(kCdataOpen);
  if (open == std::string::npos) return 0;
  cdataMarker_ = makeMarker(data);
  std::string out;
  out.reserve(data.size());
  std::size_t copied = 0;
  while (open != std::string::npos) {
    const std::size_t close = data.find(kCdataClose, open + kCdataOpen.size());
    if (close == std::string::npos) return -1;  // unterminated: the caller fails the load
    out.append(data, copied, open - copied);
    cdataStore_.emplace_back(data, open + kCdataOpen.size(), close - open - kCdataOpen.size());
    out += cdataMarker_ + "," + std::to_string(cdataStore_.size()) + ".";
    copied = close + kCdataClose.size();
    open = data.find(kCdataOpen, copied);
  }
  out.append(data, copied);
  data.swap(out);
  return static_cast<int>(cdataStore_.size());
}

std::string XmlNodeStore::restoreText(std::string_view bytes) const {
  if (cdataMarker_.empty()) return std::string(bytes);
  const std::size_t at = bytes.find(cdataMarker_);
  if (at == std::string_view::npos) return std::string(bytes);
  const std::size_t comma = bytes.find(',', at + cdataMarker_.size());
  if (comma != std::string_view::npos) {
    const std::size_t dot = bytes.find('.', comma + 1);
    if (dot != std::string_view::npos) {
      const long long n = leadingNumber(bytes.substr(comma + 1, dot - comma - 1));
      if (n >= 1 && n <= static_cast<long long>(cdataStore_.size()))
        return cdataStore_[static_cast<std::size_t>(n) - 1];
    }
  }
  return std::string(bytes);
}

void XmlNodeStore::splitOutsideQuotes(std::string_view data, char separator,
                                      std::vector<std::string_view>& pieces) {
  pieces.clear();
  bool inQuotes = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '"') inQuotes = !inQuotes;
    if (data[i] == separator && !inQuotes) {
      pieces.push_back(data.substr(start, i - start));
      start = i + 1;
    }
  }
  pieces.push_back(data.substr(start));
}

bool XmlNodeStore::endTagName(std::string_view piece, std::string& name) {
  name.clear();
  for (char c : piece)
    if (!isSpace(c) && c != '/' && c != '>') name += c;
  return true;
}

bool XmlNodeStore::parseTag(std::string_view piece, std::size_t tagEnd, XmlNode& node,
                            bool isOpen) const {
  std::string_view head = piece.substr(0, tagEnd);
  const bool selfClosing = !head.empty() && head.back() == '/';
  if (selfClosing) head.remove_suffix(1);
  node = XmlNode{};
  if (isOpen) node.text = restoreText(piece.substr(tagEnd + 1));
  // Most tags are a bare name: nothing to squeeze or cut.
  if (std::none_of(head.begin(), head.end(), [](char c) { return c == ' ' || c == '='; })) {
    node.name = std::string(head);
    return true;
  }
  const std::string squeezed =
      head.find('=') == std::string_view::npos ? std::string(head) : squeezeAroundEquals(head);
  std::vector<std::string_view> tokens = tokensOutsideQuotes(squeezed);
  node.name = std::string(tokens.front());
  bool first = true;
  for (std::string_view token : tokens) {
    if (isBlank(token) || isSlashToken(token)) continue;
    if (first) {  // the first kept token is the name's (or stands in its place)
      first = false;
      continue;
    }
    const std::size_t eq = token.find('=');
    if (eq == std::string_view::npos) return false;
    std::string value(token.substr(eq + 1));
    value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
    node.attributes.push_back({std::string(token.substr(0, eq)), std::move(value)});
  }
  return true;
}

bool XmlNodeStore::parse(std::string_view data, bool quoteAwareSplit) {
  // Pieces are taken one at a time, each what follows one "<" up to the next (the first
  // is what precedes the first "<"). With quote-aware splitting a "<" between double
  // quotes does not split; the quote state runs on across pieces.
  std::size_t start = 0;
  bool inQuotes = false;
  auto nextSeparator = [&]() -> std::size_t {
    if (!quoteAwareSplit) return data.find('<', start);
    for (std::size_t i = start; i < data.size(); ++i) {
      if (data[i] == '"') inQuotes = !inQuotes;
      if (data[i] == '<' && !inQuotes) return i;
    }
    return std::string_view::npos;
  };

  // Open elements; the document entry below them is implicit and never stored.
  std::vector<XmlNode> open;
  int counter = 0;
  std::string endName;
  for (bool more = true; more;) {
    const std::size_t lt = nextSeparator();
    const std::string_view piece =
        data.substr(start, lt == std::string_view::npos ? std::string_view::npos : lt - start);
    more = lt != std::string_view::npos;
    start = more ? lt + 1 : data.size();
    if (isBlank(piece) || piece[0] == '?' || piece[0] == '!') continue;
    // The last ">" ends the tag. A description can be tens of kilobytes of text after
    // its tag, so search backwards with the library's vectorised scan.
    const void* gt = memrchr(piece.data(), '>', piece.size());
    if (!gt) return false;
    const auto tagEnd = static_cast<std::size_t>(static_cast<const char*>(gt) - piece.data());
    const bool isEnd = piece[0] == '/';
    const bool isSelfClosing = tagEnd > 0 && piece[tagEnd - 1] == '/';
    if (isEnd && isSelfClosing) return false;

    if (isEnd) {
      // The usual "</name>" plus blank text compares in place; anything else is cleaned
      // byte by byte first.
      std::string_view name = piece.substr(1, tagEnd - 1);
      if (std::any_of(name.begin(), name.end(),
                      [](char c) { return isSpace(c) || c == '/' || c == '>'; }) ||
          !isBlank(piece.substr(tagEnd + 1))) {
        endTagName(piece, endName);
        name = endName;
      }
      if (open.empty() || open.back().name != name) return false;
      XmlNode node = std::move(open.back());
      open.pop_back();
      node.number = ++counter;
      if (!open.empty()) open.back().children.push_back(node.number);
      for (int child : node.children) at(child).parent = node.number;
      if (isBlank(node.text)) node.text.clear();
      nodes_.push_back(std::move(node));
    } else if (isSelfClosing) {
      XmlNode node;
      if (!parseTag(piece, tagEnd, node, false)) return false;
      node.number = ++counter;
      if (!open.empty()) open.back().children.push_back(node.number);
      nodes_.push_back(std::move(node));
    } else {
      XmlNode node;
      if (!parseTag(piece, tagEnd, node, true)) return false;
      open.push_back(std::move(node));
    }
  }
  rootNumber_ = counter;
  return true;
}

bool XmlNodeStore::load(std::string_view data, bool forceUtf8, bool quoteAwareSplit) {
  clear();
  // Work on the caller's bytes in place unless a step has to rewrite them.
  std::string owned;
  std::string_view bytes = data;
  bool ownsBytes = false;
  if (const std::string_view text = textUpToZero(data); wantsUtf8Conversion(text, forceUtf8)) {
    owned = utf8ToGbk(text);
    ownsBytes = true;
    bytes = owned;
  }
  if (bytes.find(kCdataOpen) != std::string_view::npos) {
    if (!ownsBytes) owned.assign(bytes);
    if (protectCdata(owned) < 0) {  // an unterminated section has no sound reading
      clear();
      return false;
    }
    bytes = owned;
  }
  if (!parse(bytes, quoteAwareSplit)) {
    clear();
    return false;
  }
  return true;
}

// ---- paths -----------------------------------------------------------------

int XmlNodeStore::resolveStep(int current, std::string_view component) const {
  if (current > 0 && checkNode(current) < 0) return -1;
  if (component.size() >= 2 && component[0] == '@' && component[1] == '#') {
    const std::string_view digits = component.substr(2);
    const long long n = leadingNumber(digits);
    if (n == 0) return digits == "0" && rootNumber_ > 0 ? rootNumber_ : -1;
    return checkNode(static_cast<int>(n)) >= 0 ? static_cast<int>(n) : -1;
  }
  if (component.size() > 1 && component[0] == '@') {
    const long long n = leadingNumber(component.substr(1));
    if (current <= 0) return n == 1 && rootNumber_ > 0 ? rootNumber_ : -1;
    const auto& children = at(current).children;
    if (n < 1 || n > static_cast<long long>(children.size())) return -1;
    return children[static_cast<std::size_t>(n) - 1];
  }
  if (component == "@" || component.empty()) return -1;
  if (current <= 0) {
    if (rootNumber_ == 0 || checkNode(rootNumber_) < 0) return -1;
    return at(rootNumber_).name == component ? rootNumber_ : -1;
  }
  for (int child : at(current).children)
    if (at(child).name == component) return child;
  return -1;
}

int XmlNodeStore::numberAt(std::string_view path) const {
  if (path.empty()) return -1;
  if (path.back() == '/') path.remove_suffix(1);
  int current = 0;
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = path.find('/', start);
    const std::string_view component =
        path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
    current = resolveStep(current, component);
    if (current < 0) return -1;
    if (slash == std::string_view::npos) return current;
    start = slash + 1;
  }
}

const XmlNode* XmlNodeStore::findNode(std::string_view path) const {
  const int n = numberAt(path);
  return n < 0 ? nullptr : &at(n);
}

bool XmlNodeStore::nodeAt(std::string_view path, XmlNode& node) const {
  const XmlNode* found = findNode(path);
  if (!found) return false;
  node = *found;
  return true;
}

std::string XmlNodeStore::pathOf(int number) const {
  int n = liveNumber(number);
  if (n < 0) return {};
  std::vector<int> positions;
  while (n != rootNumber_) {
    const int parent = at(n).parent;
    if (parent <= 0 || checkNode(parent) < 0) return {};  // outside the root's subtree
    const auto& siblings = at(parent).children;
    const auto it = std::find(siblings.begin(), siblings.end(), n);
    if (it == siblings.end()) return {};
    positions.push_back(static_cast<int>(it - siblings.begin()) + 1);
    n = parent;
  }
  std::string path = "@1";
  for (auto it = positions.rbegin(); it != positions.rend(); ++it)
    path += "/@" + std::to_string(*it);
  return path;
}

// ---- editing ---------------------------------------------------------------

int XmlNodeStore::releaseSubtree(int number) {
  if (checkNode(number) < 0) return 0;
  // The element first, then its descendants in document order; an explicit stack, since
  // a hostile document can nest deeper than the call stack allows.
  if (freeFlags_.size() < nodes_.size()) freeFlags_.resize(nodes_.size(), false);
  int released = 0;
  std::vector<int> pending{number};
  while (!pending.empty()) {
    const int n = pending.back();
    pending.pop_back();
    if (checkNode(n) < 0) continue;
    freeNumbers_.push_back(n);
    freeFlags_[static_cast<std::size_t>(n) - 1] = true;
    ++released;
    const auto& children = at(n).children;
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return released;
}

int XmlNodeStore::removeNode(int number) {
  if (checkNode(number) != 1) return -1;
  const int parent = at(number).parent;
  if (parent > 0 && parent <= nodeCount()) {
    auto& siblings = at(parent).children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), number), siblings.end());
  }
  return releaseSubtree(number);
}

bool XmlNodeStore::setNode(int number, const std::string* name, const std::string* text,
                           const std::vector<XmlAttribute>* attributes, std::optional<int> offset) {
  const int n = liveNumber(number);
  if (n < 0) return false;
  XmlNode& node = at(n);
  if (name) node.name = *name;
  if (text) node.text = *text;
  if (attributes) node.attributes = *attributes;
  if (offset && node.parent > 0) {
    auto& siblings = at(node.parent).children;
    const auto it = std::find(siblings.begin(), siblings.end(), n);
    const long long from = it - siblings.begin();
    const long long to = from + *offset;
    if (it != siblings.end() && to >= 0 && to < static_cast<long long>(siblings.size()))
      std::swap(siblings[static_cast<std::size_t>(from)], siblings[static_cast<std::size_t>(to)]);
  }
  return true;
}

int XmlNodeStore::addNode(std::optional<int> parent) {
  if (!parent) {
    clear();
    XmlNode root;
    root.number = 1;
    nodes_.push_back(std::move(root));
    rootNumber_ = 1;
    return 1;
  }
  const int p = liveNumber(*parent);
  if (p < 0) return -1;
  int number;
  if (!freeNumbers_.empty()) {
    number = freeNumbers_.front();
    freeNumbers_.erase(freeNumbers_.begin());
    freeFlags_[static_cast<std::size_t>(number) - 1] = false;
    at(number) = XmlNode{};
  } else {
    nodes_.emplace_back();
    number = nodeCount();
  }
  at(number).number = number;
  at(number).parent = p;
  at(p).children.push_back(number);
  return number;
}

void XmlNodeStore::editAttributes(std::vector<XmlAttribute>& list, char op, std::string& text) {
  switch (op) {
    case '+':
      readAttributes(text, list);
      break;
    case '-':
      for (std::string_view name : tokensOutsideQuotes(text)) {
        if (isBlank(name)) continue;
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [&](const XmlAttribute& a) { return a.name == name; }),
                   list.end());
      }
      break;
    case '<': {
      std::vector<XmlAttribute> replacement;
      readAttributes(text, replacement);
      list = std::move(replacement);
      break;
    }
    case '>':
      text.clear();
      for (const auto& a : list) {
        if (!text.empty()) text += ' ';
        text += a.name + "=\"" + a.value + "\"";
      }
      break;
    case '%': {
      std::vector<XmlAttribute> updates;
      readAttributes(text, updates);
      for (const auto& u : updates)
        for (auto& a : list)
          if (a.name == u.name) {
            a.value = u.value;
            break;
          }
      break;
    }
    default:
      break;
  }
}

// ---- writer ----------------------------------------------------------------

namespace {

// "<", the name, each attribute as name="value", ">", then the text, wrapped in a CDATA
// section when it holds a "<". Nothing is escaped.
void writeStartTag(const XmlNode& node, std::string& text) {
  text += '<';
  text += node.name;
  for (const auto& a : node.attributes) {
    text += ' ';
    text += a.name;
    text += "=\"";
    text += a.value;
    text += '"';
  }
  text += '>';
  if (node.text.find('<') != std::string::npos) {
    text += kCdataOpen;
    text += node.text;
    text += kCdataClose;
  } else {
    text += node.text;
  }
}

}  // namespace

void XmlNodeStore::writeXml(int number, std::string& text) const {
  if (number == 0) {
    if (rootNumber_ == 0 || checkNode(rootNumber_) < 0 || at(rootNumber_).name.empty()) return;
    text = "<?xml version=\"1.0\" encoding=\"gb2312\"?>";
    number = rootNumber_;
  }
  if (checkNode(number) < 0) return;
  // Depth-first with an explicit stack of (element, next child to write): the nesting of
  // a loaded document is not bounded by anything but its size.
  std::vector<std::pair<int, std::size_t>> open{{number, 0}};
  writeStartTag(at(number), text);
  while (!open.empty()) {
    auto& [n, next] = open.back();
    const XmlNode& node = at(n);
    if (next < node.children.size()) {
      const int child = node.children[next++];
      if (checkNode(child) < 0) continue;
      writeStartTag(at(child), text);
      open.emplace_back(child, 0);
      continue;
    }
    text += "</";
    text += node.name;
    text += '>';
    open.pop_back();
  }
}

std::string XmlNodeStore::xmlText() const {
  std::string text;
  writeXml(0, text);
  return text;
}

}  // namespace tessaly
