// Texts from outside (paths in data files, patterns, the mount table, file names) through
// the platform's parsers: no crash, no read outside the input, and stable results.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/case_fold.h"
#include "platform/mount_table.h"
#include "platform/wildcard.h"
#include "platform/windows_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  if (const auto parsed = platform::ParseWindowsPath(text);
      parsed && (parsed->components.empty() || (!parsed->components.back().ends_with('.') &&
                                                !parsed->components.back().ends_with(' ')))) {
    // Joining and parsing again gives the same parts (a verbatim "\\?\" path may keep
    // trailing dots and spaces that a plain one drops).
    const auto again = platform::ParseWindowsPath(
        platform::JoinWindowsPath(parsed->drive, parsed->components));
    if (!again || again->components != parsed->components) __builtin_trap();
  }

  // Folding is idempotent.
  const std::string folded = platform::FoldCase(text);
  if (platform::FoldCase(folded) != folded) __builtin_trap();

  // The first line is a pattern, the rest a name; a pattern matches itself when it has
  // no wildcards (the file name it names).
  const std::size_t newline = text.find('\n');
  if (newline != std::string_view::npos) {
    const std::string_view pattern = text.substr(0, newline);
    const std::string_view name = text.substr(newline + 1);
    (void)platform::MatchesWildcard(pattern, name);
    if (!platform::HasWildcards(pattern) && pattern.find('.') == std::string_view::npos &&
        !platform::MatchesWildcard(pattern, pattern)) {
      __builtin_trap();
    }
  }

  for (const auto& entry : platform::ParseMountTable(text)) {
    (void)platform::MountHolding({entry}, entry.mountPoint);
  }
  return 0;
}
