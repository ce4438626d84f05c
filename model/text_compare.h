#pragma once
// Text comparisons of the catalogue and the string lists: ordinal by UTF-16 code units
// (letter case counts), and the user's locale comparison that ignores letter case
// (Polish alphabet order: a ą b c ć ... z ź ż).
#include <string>
#include <string_view>

namespace kw {

// <0, 0, >0. Compares UTF-16 code units one by one; a prefix sorts first.
int CompareOrdinal(std::string_view a, std::string_view b);
// <0, 0, >0. Case-insensitive, letters in the Polish alphabet's order, digits before
// letters, other characters before digits.
int CompareTextLocale(std::string_view a, std::string_view b);

// Inserts `text` into the sorted `list` unless a text equal under CompareTextLocale is
// already there (a sorted, case-insensitive, duplicate-ignoring string list).
template <class List>
void AddSortedUnique(List& list, std::string text);

}  // namespace kw

#include "model/text_compare_inl.h"
