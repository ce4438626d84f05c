#pragma once
// File-name patterns with the rules of the Windows file-lookup functions, compared
// case-insensitively: "*" any run, "?" one character (or nothing before a dot or the end),
// "*." names without an extension, "*.*" every name, dots and all.
#include <string_view>
#include <vector>

namespace platform {

// A pattern prepared once for matching many names.
class WildcardPattern {
 public:
  explicit WildcardPattern(std::string_view pattern);
  bool Matches(std::string_view name) const;

  enum class Token : char { kLiteral, kStar, kDosStar, kDosQm, kDosDot };
  struct Item {
    Token token;
    char32_t ch;
  };

 private:
  std::vector<Item> items_;
};

bool MatchesWildcard(std::string_view pattern, std::string_view name);

bool HasWildcards(std::string_view pattern);

}  // namespace platform
