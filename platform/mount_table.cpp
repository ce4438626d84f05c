#include "platform/mount_table.h"

#include <fstream>
#include <sstream>

namespace platform {
namespace {

// The kernel writes space, tab, newline and backslash in mount fields as \ooo.
std::string Unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  auto octal = [&](std::size_t k) { return field[k] >= '0' && field[k] <= '7'; };
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) &&
        octal(i + 3)) {
      const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
      if (value <= 0xFF) {
        out.push_back(static_cast<char>(value));
        i += 3;
        continue;
      }
    }
    out.push_back(field[i]);
  }
  return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::size_t end = i;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    if (end > i) fields.push_back(line.substr(i, end - i));
    i = end;
  }
  return fields;
}

bool Holds(std::string_view mountPoint, std::string_view path) {
  if (mountPoint == "/") return !path.empty() && path.front() == '/';
  if (!path.starts_with(mountPoint)) return false;
  return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

}  // namespace

std::vector<MountEntry> ParseMountTable(std::string_view text) {
  std::vector<MountEntry> table;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const auto fields = Fields(text.substr(start, end - start));
    start = end + 1;
    if (fields.size() < 3 || fields[1].empty() || fields[1].front() != '/') continue;
    std::string mountPoint = Unescape(fields[1]);
    while (mountPoint.size() > 1 && mountPoint.back() == '/') mountPoint.pop_back();
    table.push_back({Unescape(fields[0]), std::move(mountPoint), std::string(fields[2])});
  }
  return table;
}

std::vector<MountEntry> ReadMountTable(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return ParseMountTable(text.str());
}

std::optional<MountEntry> MountHolding(const std::vector<MountEntry>& table,
                                       const std::filesystem::path& hostPath) {
  const std::string& path = hostPath.native();
  const MountEntry* best = nullptr;
  for (const auto& entry : table) {
    if (!Holds(entry.mountPoint, path)) continue;
    if (best == nullptr || entry.mountPoint.size() >= best->mountPoint.size()) best = &entry;
  }
  if (best == nullptr) return std::nullopt;
  return *best;
}

}  // namespace platform
