#pragma once
// A regular expression with ECMAScript meaning over GBK texts: compiled once with the
// flags ignore-case, multi-line and global (all on unless told otherwise), run over a
// text, its matches and groups handed out by 1-based number. Character classes and
// Chinese characters in a pattern (`\u4e00-\u9fa5`, "元") match characters, not bytes:
// texts are converted to UTF-8 for the engine and results back to GBK.
//
// One object belongs to one thread; copies share the compiled pattern and the matches.
#include <memory>
#include <string>
#include <string_view>

namespace tessaly {

class RegexMatcher {
 public:
  RegexMatcher();
  ~RegexMatcher();
  RegexMatcher(const RegexMatcher&);
  RegexMatcher& operator=(const RegexMatcher&);

  // Discards the earlier pattern and matches; false when the pattern does not compile,
  // leaving the object without one (execute then finds nothing).
  bool create(std::string_view pattern, bool ignoreCase = true, bool multiline = true,
              bool global = true);
  std::string pattern() const;
  // Every match (the first only without global) replaced by `replacement`, in which
  // $1..$99, $&, $`, $' and $$ have their ECMAScript meaning.
  std::string replace(std::string_view text, std::string_view replacement) const;
  // Runs the pattern over `text`; the new matches replace the old; returns their number.
  int execute(std::string_view text);
  int matchCount() const { return matchCount_; }
  // Match i and group k of match i, both from 1; empty when absent or not taking part.
  std::string matchText(int i) const;
  std::string subMatch(int i, int k) const;
  // The number of groups of match 1; 0 when nothing matched.
  int subMatchCount() const;
  // A second object sharing this one's pattern and matches.
  RegexMatcher copy() const { return *this; }
  void destroy();

 private:
  struct Engine;
  struct Matches;
  // Drops the current matches, keeping their buffers in spare_ when no copy shares them.
  void retireMatches();

  std::shared_ptr<const Engine> engine_;
  std::shared_ptr<const Matches> matches_;
  int matchCount_ = 0;
  // Results no one refers to any more, whose page-sized buffers the next execute reuses.
  // Never shared: copies do not take it over.
  std::shared_ptr<Matches> spare_;
};

}  // namespace tessaly
