#include "support/regex_matcher.hpp"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <vector>

#include "support/gbk.hpp"

namespace tessaly {

struct RegexMatcher::Engine {
  pcre2_code* code = nullptr;
  std::string pattern;  // GBK, as given
  bool global = true;
  uint32_t groups = 0;

  ~Engine() { pcre2_code_free(code); }

  // Runs once from `start`; false when there is no further match. `ovector` receives
  // 2 * (groups + 1) offsets.
  bool matchAt(std::string_view subject, std::size_t start, pcre2_match_data* data) const {
    const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(),
                               start, PCRE2_NO_UTF_CHECK, data, nullptr);
    return rc >= 0;
  }

  // Every match (or the first) as offset lists, ECMAScript style: after an empty match
  // the search resumes one character further on.
  template <typename Visit>
  void forEachMatch(std::string_view subject, Visit visit) const {
    std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data(
        pcre2_match_data_create_from_pattern(code, nullptr), pcre2_match_data_free);
    if (!data) return;
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data.get());
    std::size_t start = 0;
    while (start <= subject.size() && matchAt(subject, start, data.get())) {
      visit(ov);
      if (!global) break;
      start = ov[1];
      if (ov[1] == ov[0]) {
        if (start >= subject.size()) break;
        ++start;
        while (start < subject.size() && (static_cast<unsigned char>(subject[start]) & 0xC0) == 0x80)
          ++start;
      }
    }
  }
};

struct RegexMatcher::Matches {
  std::string subject;               // UTF-8
  std::size_t width = 0;             // offsets per match: 2 * (groups + 1)
  std::vector<std::size_t> offsets;  // PCRE2_UNSET for a group that took no part

  std::string text(int i, int k) const {
    if (i < 1 || k < 0 || width == 0) return {};
    const std::size_t match = static_cast<std::size_t>(i) - 1;
    if (match >= offsets.size() / width || 2 * static_cast<std::size_t>(k) >= width) return {};
    const std::size_t begin = offsets[match * width + 2 * k];
    const std::size_t end = offsets[match * width + 2 * k + 1];
    if (begin == PCRE2_UNSET || end < begin) return {};
    return utf8ToGbk(std::string_view(subject).substr(begin, end - begin));
  }
};

RegexMatcher::RegexMatcher() = default;
RegexMatcher::~RegexMatcher() = default;
RegexMatcher::RegexMatcher(const RegexMatcher&) = default;
RegexMatcher& RegexMatcher::operator=(const RegexMatcher&) = default;

void RegexMatcher::destroy() {
  engine_.reset();
  matches_.reset();
  matchCount_ = 0;
}

bool RegexMatcher::create(std::string_view pattern, bool ignoreCase, bool multiline, bool global) {
  destroy();
  const std::string utf8 = gbkToUtf8(pattern);
  uint32_t options = PCRE2_UTF | PCRE2_UCP | PCRE2_ALT_BSUX;
  if (ignoreCase) options |= PCRE2_CASELESS;
  if (multiline) options |= PCRE2_MULTILINE;

  std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)> context(
      pcre2_compile_context_create(nullptr), pcre2_compile_context_free);
  if (!context) return false;
  // "." stops at CR as well as LF, as in ECMAScript.
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);

  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(utf8.data()), utf8.size(), options,
                                   &error, &errorOffset, context.get());
  if (!code) return false;
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);  // the interpreter serves where JIT is missing

  auto engine = std::make_shared<Engine>();
  engine->code = code;
  engine->pattern = std::string(pattern);
  engine->global = global;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &engine->groups);
  engine_ = std::move(engine);
  return true;
}

std::string RegexMatcher::pattern() const { return engine_ ? engine_->pattern : std::string(); }

int RegexMatcher::execute(std::string_view text) {
  if (!engine_) {
    matches_.reset();
    matchCount_ = 0;
    return 0;
  }
  auto matches = std::make_shared<Matches>();
  matches->subject = gbkToUtf8(text);
  matches->width = 2 * (engine_->groups + 1);
  engine_->forEachMatch(matches->subject, [&](const PCRE2_SIZE* ov) {
    matches->offsets.insert(matches->offsets.end(), ov, ov + matches->width);
  });
  matchCount_ = static_cast<int>(matches->offsets.size() / matches->width);
  matches_ = std::move(matches);
  return matchCount_;
}

std::string RegexMatcher::matchText(int i) const {
  return matches_ && i <= matchCount_ ? matches_->text(i, 0) : std::string();
}

std::string RegexMatcher::subMatch(int i, int k) const {
  return matches_ && i <= matchCount_ && k >= 1 ? matches_->text(i, k) : std::string();
}

int RegexMatcher::subMatchCount() const {
  return matchCount_ > 0 && engine_ ? static_cast<int>(engine_->groups) : 0;
}

std::string RegexMatcher::replace(std::string_view text, std::string_view replacement) const {
  if (!engine_) return std::string(text);
  const std::string subject = gbkToUtf8(text);
  const std::string with = gbkToUtf8(replacement);
  const std::size_t groups = engine_->groups;
  std::string out;
  std::size_t copied = 0;
  engine_->forEachMatch(subject, [&](const PCRE2_SIZE* ov) {
    auto group = [&](std::size_t k) -> std::string_view {
      if (k > groups || ov[2 * k] == PCRE2_UNSET) return {};
      return std::string_view(subject).substr(ov[2 * k], ov[2 * k + 1] - ov[2 * k]);
    };
    out.append(subject, copied, ov[0] - copied);
    for (std::size_t i = 0; i < with.size(); ++i) {
      const char c = with[i];
      const char next = i + 1 < with.size() ? with[i + 1] : '\0';
      if (c != '$' || i + 1 >= with.size()) {
        out += c;
      } else if (next == '$') {
        out += '$', ++i;
      } else if (next == '&') {
        out += group(0), ++i;
      } else if (next == '`') {
        out.append(subject, 0, ov[0]), ++i;
      } else if (next == '\'') {
        out.append(subject, ov[1]), ++i;
      } else if (next >= '0' && next <= '9') {
        // Two digits when they name an existing group, else one; $0 is literal.
        std::size_t k = static_cast<std::size_t>(next - '0');
        std::size_t used = 1;
        const char third = i + 2 < with.size() ? with[i + 2] : '\0';
        if (third >= '0' && third <= '9' && k * 10 + static_cast<std::size_t>(third - '0') <= groups &&
            k * 10 + static_cast<std::size_t>(third - '0') > 0) {
          k = k * 10 + static_cast<std::size_t>(third - '0');
          used = 2;
        }
        if (k == 0 || k > groups) {
          out += c;
        } else {
          out += group(k);
          i += used;
        }
      } else {
        out += c;
      }
    }
    copied = ov[1];
  });
  out.append(subject, copied);
  return utf8ToGbk(out);
}

}  // namespace tessaly
