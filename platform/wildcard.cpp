#include "platform/wildcard.h"

#include <string>
#include <vector>

#include "platform/case_fold.h"

namespace platform {
namespace {

// The lookup functions rewrite a pattern before matching: "?" always becomes the DOS
// question mark; "*" before a dot the DOS star (stops at the name's last dot); a dot
// before "?", "*" or the pattern's end the DOS dot (a dot, or nothing at the name's end).
using Token = WildcardPattern::Token;
using PatternItem = WildcardPattern::Item;

std::vector<PatternItem> Translate(const std::u32string& p) {
  std::vector<PatternItem> items;
  items.reserve(p.size());
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char32_t next = i + 1 < p.size() ? p[i + 1] : U'\0';
    const bool atEnd = i + 1 == p.size();
    switch (p[i]) {
      case U'?': items.push_back({Token::kDosQm, 0}); break;
      case U'*': items.push_back({next == U'.' ? Token::kDosStar : Token::kStar, 0}); break;
      case U'.':
        if (atEnd || next == U'?' || next == U'*') {
          items.push_back({Token::kDosDot, 0});
        } else {
          items.push_back({Token::kLiteral, U'.'});
        }
        break;
      default: items.push_back({Token::kLiteral, p[i]}); break;
    }
  }
  return items;
}

}  // namespace

bool HasWildcards(std::string_view pattern) {
  return pattern.find_first_of("*?") != std::string_view::npos;
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  return WildcardPattern(pattern).Matches(name);
}

WildcardPattern::WildcardPattern(std::string_view pattern)
    : items_(Translate(FoldToCodePoints(pattern))) {}

bool WildcardPattern::Matches(std::string_view name) const {
  const std::vector<PatternItem>& items = items_;
  const std::u32string n = FoldToCodePoints(name);
  const std::size_t pn = items.size();
  const std::size_t nn = n.size();
  const std::size_t lastDot = n.rfind(U'.');  // npos when the name has none
  // Filled from the ends backwards, one pattern position at a time: next[ni] says whether
  // items[pi + 1..] match n[ni..], cur[ni] the same for items[pi..].
  std::vector<char> next(nn + 1, 0);
  std::vector<char> cur(nn + 1, 0);
  next[nn] = 1;
  for (std::size_t pi = pn; pi-- > 0;) {
    for (std::size_t ni = nn + 1; ni-- > 0;) {
      const bool more = ni < nn;
      bool result = false;
      switch (items[pi].token) {
        case Token::kLiteral:
          result = more && n[ni] == items[pi].ch && next[ni + 1];
          break;
        case Token::kStar:
          result = next[ni] || (more && cur[ni + 1]);
          break;
        case Token::kDosStar:
          result = next[ni] || (more && (n[ni] != U'.' || ni != lastDot) && cur[ni + 1]);
          break;
        case Token::kDosQm:
          result = (!more || n[ni] == U'.') ? next[ni] : next[ni + 1];
          break;
        case Token::kDosDot:
          result = !more ? next[ni] : (n[ni] == U'.' && next[ni + 1]);
          break;
      }
      cur[ni] = result ? 1 : 0;
    }
    std::swap(cur, next);
  }
  return next[0] != 0;
}

}  // namespace platform
