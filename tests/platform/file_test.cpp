#include "platform/file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fs_test_support.h"
#include "platform/win_error.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::TempFolder;

std::span<const std::byte> Bytes(std::string_view text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

class FileTest : public ::testing::Test {
 protected:
  FileTest() : fs_(MakeMap()) {}
  DriveMap MakeMap() const {
    DriveMap map;
    map.Map('C', tmp_.path());
    map.Map('D', "/dev");
    return map;
  }
  std::uint32_t OpenError(std::string_view path, OpenMode mode) {
    try {
      File::Open(path, mode, fs_);
    } catch (const OsError& e) {
      return e.WinErrorCode();
    }
    return kErrorSuccess;
  }
  TempFolder tmp_;
  FileSystem fs_;
};

TEST_F(FileTest, WritesReadsSeeksAndTruncates) {
  tmp_.Folder("Dane");
  File file = File::Open("C:\\DANE\\Nowy.bin", OpenMode::kCreate, fs_);
  file.Write(Bytes("Archiwum KW"));
  EXPECT_EQ(file.Size(), 11u);
  EXPECT_EQ(file.Position(), 11u);
  file.Seek(9);
  std::vector<std::byte> buffer(16);
  EXPECT_EQ(file.Read(buffer), 2u) << "fewer bytes only at the end";
  EXPECT_EQ(std::memcmp(buffer.data(), "KW", 2), 0);
  file.Truncate(8);
  file.Flush();
  file.Close();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(ReadAll(tmp_ / "Dane/Nowy.bin"), "Archiwum");
  EXPECT_TRUE(fs_.FileExists("C:\\dane\\NOWY.BIN")) << "the listing knows the new file";

  File again = File::Open("C:\\dane\\nowy.bin", OpenMode::kReadWrite, fs_);
  again.Seek(again.Size());
  again.Write(Bytes(" KW"));
  File moved = std::move(again);
  moved.Close();
  EXPECT_EQ(ReadAll(tmp_ / "Dane/Nowy.bin"), "Archiwum KW");
}

TEST_F(FileTest, OpenFailuresGiveWindowsCodes) {
  tmp_.File("jest.txt");
  tmp_.Folder("Folder");
  struct Row {
    const char* path;
    OpenMode mode;
    std::uint32_t error;
  };
  const Row rows[] = {
      {"C:\\brak.txt", OpenMode::kRead, kErrorFileNotFound},
      {"C:\\Brak\\x.txt", OpenMode::kCreate, kErrorPathNotFound},
      {"C:\\JEST.TXT", OpenMode::kCreateNew, kErrorFileExists},
      {"C:\\folder", OpenMode::kRead, kErrorAccessDenied},
      {"C:\\jest.txt\\x", OpenMode::kCreate, kErrorPathNotFound},
      {"Q:\\x.txt", OpenMode::kRead, kErrorPathNotFound},
      {"\\\\server\\share\\x.txt", OpenMode::kRead, kErrorInvalidName},
  };
  for (const Row& row : rows) EXPECT_EQ(OpenError(row.path, row.mode), row.error) << row.path;
}

TEST_F(FileTest, ClosedFileRefusesWork) {
  File file;
  std::vector<std::byte> buffer(4);
  try {
    file.Read(buffer);
    FAIL() << "no exception";
  } catch (const OsError& e) {
    EXPECT_EQ(e.WinErrorCode(), kErrorInvalidHandle);
  }
  EXPECT_THROW(file.Size(), OsError);
  EXPECT_NO_THROW(file.Close());
}

TEST_F(FileTest, FullDiskIsReportedAsDiskFull) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  File file = File::Open("D:\\full", OpenMode::kReadWrite, fs_);
  try {
    file.Write(Bytes("data"));
    FAIL() << "no exception";
  } catch (const OsError& e) {
    EXPECT_EQ(e.WinErrorCode(), kErrorDiskFull);
    EXPECT_NE(std::string(e.what()).find("Write failed"), std::string::npos);
  }
}

}  // namespace
}  // namespace platform
