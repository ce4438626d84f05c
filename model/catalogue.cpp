// The archive catalogue: entries from descriptors, sorting, group keys, list rows,
// deleting an archive, archive-name suggestions.
#include <algorithm>
#include <numeric>

#include "model/kwplus.h"
#include "model/path_text.h"
#include "model/text_compare.h"
#include "platform/format.h"

namespace kw {

namespace {

using TextField = std::string KWPlusProjekt::*;

// Tags 0, 7, 8 are text columns; the others numbers. nullptr for any other tag.
TextField TextKey(std::int32_t column) {
  switch (column) {
    case 0: return &KWPlusProjekt::Nazwa;
    case 7: return &KWPlusProjekt::Komentarz;
    case 8: return &KWPlusProjekt::Plik;
    default: return nullptr;
  }
}

double NumberKey(const KWPlusProjekt& p, std::int32_t column) {
  switch (column) {
    case 1: return p.Created;
    case 2: return p.LiczbaOsob;
    case 3: return p.LiczbaZw;
    case 4: return p.Size;
    case 5: return p.SizeKWFile;
    case 6: return p.FileCount;
    default: return 0;
  }
}

}  // namespace

void KWPlus::LoadCatalogueEntry(std::string_view descriptorPath) {
  KWPlusProjekt entry;
  ReadDescriptor(entry, descriptorPath, false);
  Projects.push_back(std::move(entry));
}

KWPlusProjekt& KWPlus::Item(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= Projects.size()) {
    throw std::out_of_range("Catalogue index " + std::to_string(index) + " out of range (" +
                            std::to_string(Projects.size()) + " entries)");
  }
  return Projects[static_cast<std::size_t>(index)];
}

void KWPlus::SortCatalogue(std::int32_t column, bool reset) {
  if (reset) {
    SortColumn = 1;
    SortAscending = false;
  } else if (column != SortColumn) {
    SortAscending = true;
    SortColumn = column;
  } else {
    SortAscending = !SortAscending;
  }
  // Sort an index, then move the records once.
  std::vector<std::size_t> order(Projects.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  const std::int32_t col = SortColumn;
  if (const TextField field = TextKey(col)) {
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return CompareOrdinal(Projects[a].*field, Projects[b].*field) < 0;
    });
  } else {
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return NumberKey(Projects[a], col) < NumberKey(Projects[b], col);
    });
  }
  // Descending is the exact reverse of the ascending result, ties included.
  if (!SortAscending) std::reverse(order.begin(), order.end());
  std::vector<KWPlusProjekt> sorted;
  sorted.reserve(Projects.size());
  for (std::size_t i : order) sorted.push_back(std::move(Projects[i]));
  Projects = std::move(sorted);
}

std::string KWPlus::GroupKey(const KWPlusProjekt& entry, std::int32_t mode, bool sortable) {
  const platform::FormatSettings& fs = platform::UserFormatSettings();
  auto dateKey = [&](std::string_view sortPattern, std::string_view shownPattern) {
    std::string shown = platform::FormatDateTime(shownPattern, entry.Created, fs);
    if (!sortable) return shown;
    return platform::FormatDateTime(sortPattern, entry.Created, fs) + "#" + shown;
  };
  switch (mode) {
    case kGroupByName: return entry.Nazwa;
    case kGroupByDataFile: return entry.Plik;
    case kGroupByDate: return dateKey("yyyy-MM-dd", "yyyy-MMM-dd");
    case kGroupByMonth: return dateKey("yyyy-MM", "yyyy-MMM");
    case kGroupByYear: return dateKey("yyyy", "yyyy");
    default: return "+";
  }
}

void KWPlus::FillListItem(std::int32_t number, std::int32_t index, CatalogueRow& item) {
  KWPlusProjekt& entry = Item(index);
  item.Caption.clear();  // the first column is hidden
  item.SubItems = {
      std::to_string(number),
      entry.Nazwa,
      platform::FormatDateTime("dd-MM-yyyy hh:mm", entry.Created, platform::UserFormatSettings()),
      std::to_string(entry.LiczbaOsob),
      std::to_string(entry.LiczbaZw),
      FormatMegabytes(entry.Size),
      FormatMegabytes(entry.SizeKWFile),
      std::to_string(entry.FileCount),
      entry.Komentarz,
      entry.Plik,
  };
  item.Data = &entry;
}

std::string KWPlus::FormatMegabytes(std::int64_t kilobytes) {
  return platform::FormatNumber(static_cast<double>(kilobytes) / 1024.0, 2,
                                platform::UserFormatSettings());
}

bool KWPlus::DeleteArchive(const KWPlusProjekt& entry) {
  // The archive is found through the descriptor's file name, not through its ID key.
  const std::string archive =
      filesFolder_ + ChangeFileExt(ExtractFileName(entry.DescriptorPath), ".zip");
  if (fs_->FileExists(archive) && !fs_->DeleteFile(archive)) return false;
  (void)fs_->DeleteFile(entry.DescriptorPath);  // not reported: the archive is gone already
  return true;
}

std::string KWPlus::ArchiveNamesFor(std::vector<std::string>& list,
                                    std::string_view dataFile) const {
  list.clear();
  std::vector<std::string> names;
  for (const KWPlusProjekt& entry : Projects) AddSortedUnique(names, entry.Nazwa);
  list = std::move(names);
  for (auto it = Projects.rbegin(); it != Projects.rend(); ++it) {
    if (it->Plik == dataFile) return it->Nazwa;
  }
  return {};
}

}  // namespace kw
