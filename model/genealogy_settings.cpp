// The genealogy program's settings file kw8.ini: where it is, and its recent data files.
#include <algorithm>
#include <charconv>
#include <utility>

#include "model/kwplus.h"
#include "model/text_compare.h"
#include "platform/ini_file.h"

namespace kw {

namespace {

constexpr std::string_view kRecentSection = "UzytePliki";

std::string TrimControlAndSpace(std::string_view s) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

// The number k of a key "Plik_k" (no leading zeros, k >= 1); 0 for any other key.
std::int64_t RecentKeyNumber(std::string_view key) {
  constexpr std::string_view kPrefix = "plik_";
  if (key.size() <= kPrefix.size() || key.size() > kPrefix.size() + 10) return 0;
  for (std::size_t i = 0; i < kPrefix.size(); ++i) {
    const char c = (key[i] >= 'A' && key[i] <= 'Z') ? static_cast<char>(key[i] + 32) : key[i];
    if (c != kPrefix[i]) return 0;
  }
  const std::string_view digits = key.substr(kPrefix.size());
  if (digits.front() == '0') return 0;
  std::int64_t k = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), k);
  return (ec == std::errc() && end == digits.data() + digits.size()) ? k : 0;
}

}  // namespace

std::string KWPlus::FindGenealogyIni() const {
  std::string chosen;
  if (!roamingAppDataFolder_.empty()) chosen = roamingAppDataFolder_ + "\\tessaro\\kw\\kw8.ini";
  if (!localAppDataFolder_.empty()) {
    // The file-virtualisation store keeps the copy the program wrote under Program Files.
    for (const char* programFiles : {"Program Files (x86)", "Program Files"}) {
      std::string candidate = localAppDataFolder_ + "\\VirtualStore\\" + programFiles +
                              "\\Kronika Wieków II\\tessaro\\kw\\kw8.ini";
      if (fs_->FileExists(candidate)) chosen = std::move(candidate);
    }
  }
  return chosen;
}

std::string KWPlus::ReadRecentDataFiles(std::string_view iniPath, std::vector<std::string>& list,
                                        bool onlyExisting) const {
  list.clear();
  if (iniPath.empty()) return {};
  const platform::IniFile ini(iniPath, *fs_);
  std::vector<std::string> working;

  // Plik_1 .. Plik_Liczba in number order. Walking the keys present (not 1..Liczba) keeps a
  // damaged count of two thousand million from reading for hours.
  const std::int32_t count = ini.ReadInteger(kRecentSection, "Liczba", 0);
  std::vector<std::pair<std::int64_t, std::string>> numbered;
  for (const std::string& key : ini.Keys(kRecentSection)) {
    const std::int64_t k = RecentKeyNumber(key);
    if (k >= 1 && k <= count) numbered.emplace_back(k, key);
  }
  std::sort(numbered.begin(), numbered.end());
  numbered.erase(std::unique(numbered.begin(), numbered.end(),
                             [](const auto& a, const auto& b) { return a.first == b.first; }),
                 numbered.end());
  for (const auto& [k, key] : numbered) {
    std::string value = ini.ReadString(kRecentSection, key, "");
    if (value.empty()) continue;
    if (!onlyExisting || fs_->FileExists(value)) AddSortedUnique(working, std::move(value));
  }

  // The data file in use is offered even when it is gone; an empty one is not offered, so
  // the list never starts with an empty line.
  std::string inUse = TrimControlAndSpace(ini.ReadString("Dane", "Baza", ""));
  if (!inUse.empty()) AddSortedUnique(working, inUse);
  list = std::move(working);
  return inUse;
}

}  // namespace kw
