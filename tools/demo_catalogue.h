#pragma once
// Archive descriptors written as the profile functions write them (ANSI code page, CR LF),
// for the demo "USB stick", the screenshots and the window tests. Header-only and Qt-free.
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/code_page.h"

namespace kwdemo {

struct DescriptorSpec {
  std::string id;  // "{GUID}"; also the descriptor's and the archive's file name
  std::string nazwa;
  std::string plik;
  std::string komentarz;
  int liczbaOsob = 0;
  int liczbaZw = 0;
  int sizeKB = 0;
  int sizeKwFileKB = 0;
  int fileCount = 0;
  int year = 2016, month = 1, day = 1, hour = 12, minute = 0;
  bool protection = false;
};

inline std::string TwoDigits(int value) {
  return std::string(value < 10 ? "0" : "") + std::to_string(value);
}

// Writes `folder`/{id}.kwbackup; the folder must exist.
inline std::filesystem::path WriteDescriptorFile(const std::filesystem::path& folder,
                                                 const DescriptorSpec& d) {
  std::string text;
  const auto line = [&text](const std::string& s) { text += s + "\r\n"; };
  line("[Ogolne]");
  line("ID=" + d.id);
  line("Plik=" + d.plik);
  line("Nazwa=" + d.nazwa);
  line("Komentarz=" + d.komentarz);
  line(std::string("Protection=") + (d.protection ? "1" : "0"));
  line("Size=" + std::to_string(d.sizeKB));
  line("SizeKWFile=" + std::to_string(d.sizeKwFileKB));
  line("FileCount=" + std::to_string(d.fileCount));
  line("LiczbaOsob=" + std::to_string(d.liczbaOsob));
  line("LiczbaZw=" + std::to_string(d.liczbaZw));
  line("Data=" + TwoDigits(d.day) + "-" + TwoDigits(d.month) + "-" + std::to_string(d.year));
  line("Godzina=" + TwoDigits(d.hour) + ":" + TwoDigits(d.minute));
  line("[Plik]");
  line("Plik_1=" + d.plik);
  line("Plik_1_TYP=KWFILE");
  line("[Pliki]");
  line("Liczba=1");
  const std::filesystem::path file = folder / (d.id + ".kwbackup");
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  const std::string bytes = platform::Utf8ToCodePage(text, platform::CodePage::kAnsi);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
  return file;
}

inline std::string DemoId(int n) {
  std::string digits = std::to_string(n);
  digits.insert(0, 12 - digits.size(), '0');
  return "{6A1F3C2E-7B4D-4E8A-9C10-" + digits + "}";
}

// A catalogue a user might have after a few years of backups.
inline std::vector<DescriptorSpec> DemoCatalogue() {
  const std::string kowalscy = "C:\\Users\\Anna\\Documents\\Kronika\\Kowalscy.kw";
  const std::string nowakowie = "C:\\Users\\Anna\\Documents\\Kronika\\Nowakowie z Łodzi.kw";
  return {
      {DemoId(1), "Kowalscy", kowalscy, "pierwsza kopia", 412, 131, 51234, 812, 58, 2014, 3,
       9, 18, 42, false},
      {DemoId(2), "Kowalscy", kowalscy, "po wizycie w archiwum", 655, 209, 188410, 1290, 143,
       2015, 11, 2, 20, 5, false},
      {DemoId(3), "Nowakowie", nowakowie, "zdjęcia od cioci Zosi", 238, 77, 1263411, 402, 611,
       2016, 1, 17, 9, 30, true},
      {DemoId(4), "Kowalscy", kowalscy, "przed przeprowadzką", 702, 224, 204880, 1377, 160, 2016,
       5, 23, 21, 14, false},
      {DemoId(5), "Nowakowie", nowakowie, "", 251, 80, 1290003, 415, 628, 2016, 5, 30, 7, 55,
       true},
  };
}

}  // namespace kwdemo
