#include "support/regex_matcher.hpp"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <vector>

#include "support/gbk.hpp"

namespace tessaly {
namespace {

template <typename T, void (*Free)(T*)>
struct PcreDeleter {
  void operator()(T* p) const { Free(p); }
};
using CompileContext =
    std::unique_ptr<pcre2_compile_context,
                    PcreDeleter<pcre2_compile_context, pcre2_compile_context_free>>;
using MatchContext = std::unique_ptr<pcre2_match_context,
                                     PcreDeleter<pcre2_match_context, pcre2_match_context_free>>;
using MatchData =
    std::unique_ptr<pcre2_match_data, PcreDeleter<pcre2_match_data, pcre2_match_data_free>>;
using JitStack =
    std::unique_ptr<pcre2_jit_stack, PcreDeleter<pcre2_jit_stack, pcre2_jit_stack_free>>;

// The JIT machine stack grows on demand up to this size. The default 32 KB runs out on a
// group repeated over a few thousand characters (`(?:a|b)*` over a long line of a page),
// and a match that runs out of stack ends the search; address space is only committed
// as it is used.
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 64 * 1024 * 1024;

// What one thread needs to run any pattern: a match context carrying the JIT stack and
// offset vectors big enough for the largest pattern seen so far. Kept per thread because
// neither may be used by two matches at once, and rebuilding them per page would cost a
// few allocations each time.
struct MatchScratch {
  MatchContext context{pcre2_match_context_create(nullptr)};
  JitStack stack{pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr)};
  MatchData data;
  uint32_t pairs = 0;

  MatchScratch() {
    if (context && stack) pcre2_jit_stack_assign(context.get(), nullptr, stack.get());
  }

  pcre2_match_data* dataFor(uint32_t groups) {
    if (!data || pairs < groups + 1) {
      data.reset(pcre2_match_data_create(groups + 1, nullptr));
      pairs = data ? groups + 1 : 0;
    }
    return data.get();
  }
};

MatchScratch& scratch() {
  thread_local MatchScratch s;
  return s;
}

bool isUtf8Continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

struct RegexMatcher::Engine {
  pcre2_code* code = nullptr;
  std::string pattern;  // GBK, as given
  bool global = true;
  uint32_t groups = 0;

  ~Engine() { pcre2_code_free(code); }

  // Calls visit(ovector) for every match (only the first without global), ECMAScript
  // style: each search resumes where the previous match ended, and after an empty match
  // one character further on. The ovector holds 2 * (groups + 1) offsets, PCRE2_UNSET for
  // a group that took no part. A match error (a resource limit on a pathological
  // pattern) ends the search; the matches found before it stand.
  template <typename Visit>
  void forEachMatch(std::string_view subject, Visit visit) const {
    MatchScratch& s = scratch();
    pcre2_match_data* data = s.dataFor(groups);
    if (!data) return;
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
    const auto* bytes = reinterpret_cast<PCRE2_SPTR>(subject.data());
    std::size_t start = 0;
    while (start <= subject.size()) {
      const int rc = pcre2_match(code, bytes, subject.size(), start, PCRE2_NO_UTF_CHECK, data,
                                 s.context.get());
      if (rc < 0) break;
      visit(ov);
      if (!global) break;
      start = ov[1];
      if (ov[1] == ov[0]) {
        if (start >= subject.size()) break;
        ++start;
        while (start < subject.size() && isUtf8Continuation(subject[start])) ++start;
      }
    }
  }
};

struct RegexMatcher::Matches {
  std::string subject;               // UTF-8
  std::size_t width = 0;             // offsets per match: 2 * (groups + 1)
  std::vector<std::size_t> offsets;  // PCRE2_UNSET for a group that took no part

  // Group k of match i (i from 1, k = 0 for the whole match) in GBK; converted only when
  // asked for, since callers read a few groups of the many offsets kept.
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

RegexMatcher::RegexMatcher(const RegexMatcher& other)
    : engine_(other.engine_), matches_(other.matches_), matchCount_(other.matchCount_) {}

RegexMatcher& RegexMatcher::operator=(const RegexMatcher& other) {
  if (this != &other) {
    engine_ = other.engine_;
    matches_ = other.matches_;
    matchCount_ = other.matchCount_;
  }
  return *this;
}

void RegexMatcher::retireMatches() {
  if (matches_ && matches_.use_count() == 1) spare_ = std::const_pointer_cast<Matches>(matches_);
  matches_.reset();
  matchCount_ = 0;
}

void RegexMatcher::destroy() {
  engine_.reset();
  matches_.reset();
  spare_.reset();
  matchCount_ = 0;
}

bool RegexMatcher::create(std::string_view pattern, bool ignoreCase, bool multiline, bool global) {
  // The crawler compiles and runs the same two matchers page after page: the earlier
  // matches go, but their buffers stay for the next page.
  engine_.reset();
  retireMatches();
  const std::string utf8 = gbkToUtf8(pattern);
  // ECMAScript meanings where PCRE2 differs by default: `\uXXXX` escapes (also inside
  // classes), `[]` matching nothing and `[^]` any character, a back reference to a group
  // that took no part matching the empty text, and `$` without multi-line matching only
  // at the very end. UCP gives `\s` the Unicode white space (the full-width space among
  // them) as ECMAScript has it.
  uint32_t options = PCRE2_UTF | PCRE2_UCP | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                     PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;
  if (ignoreCase) options |= PCRE2_CASELESS;
  if (multiline) options |= PCRE2_MULTILINE;

  CompileContext context(pcre2_compile_context_create(nullptr));
  if (!context) return false;
  // "." stops at CR as well as LF, as in ECMAScript; no DOTALL.
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
#ifdef PCRE2_EXTRA_ASCII_BSD
  // Where the library offers it, `\d` and `\w` (and with it `\b`) stay ASCII-only as in
  // ECMAScript while `\s` keeps its Unicode meaning.
  pcre2_set_compile_extra_options(context.get(), PCRE2_EXTRA_ASCII_BSD | PCRE2_EXTRA_ASCII_BSW);
#endif

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

std::string RegexMatcher::pattern() const {
  return engine_ ? engine_->pattern : std::string();
}

int RegexMatcher::execute(std::string_view text) {
  retireMatches();
  if (!engine_) return 0;
  // Converting into a buffer that already has a page's size saves allocating and
  // faulting in a fresh one for every page.
  std::shared_ptr<Matches> matches = spare_ ? std::move(spare_) : std::make_shared<Matches>();
  gbkToUtf8(text, matches->subject);
  matches->offsets.clear();
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
        if (third >= '0' && third <= '9' &&
            k * 10 + static_cast<std::size_t>(third - '0') <= groups &&
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
