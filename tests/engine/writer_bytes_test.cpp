// The bytes the engine writes: local and central headers, versions, flags, methods, the AES
// field, DOS times, attributes, empty files and the sync-flush marker between blocks.
#include <zlib.h>

#include "platform/date_time.h"
#include "archive_fixture.h"

namespace engine::testing {
namespace {

using WriterBytesTest = ZipFixture;

struct Central {
  std::size_t at;
  std::uint16_t madeBy, needed, flags, method, time, date, nameLen, extraLen, commentLen;
  std::uint32_t crc, packed, size, attr, offset;
};

// The central headers of an archive written by the engine (no archive comment).
std::vector<Central> CentralHeaders(const std::string& b) {
  const std::size_t end = b.size() - 22;
  std::vector<Central> out;
  std::size_t p = ZipFixture::U32(b, end + 16);
  for (int i = 0; i < ZipFixture::U16(b, end + 10); ++i) {
    Central c{p, ZipFixture::U16(b, p + 4), ZipFixture::U16(b, p + 6), ZipFixture::U16(b, p + 8),
              ZipFixture::U16(b, p + 10), ZipFixture::U16(b, p + 12), ZipFixture::U16(b, p + 14),
              ZipFixture::U16(b, p + 28), ZipFixture::U16(b, p + 30), ZipFixture::U16(b, p + 32),
              ZipFixture::U32(b, p + 16), ZipFixture::U32(b, p + 20), ZipFixture::U32(b, p + 24),
              ZipFixture::U32(b, p + 38), ZipFixture::U32(b, p + 42)};
    out.push_back(c);
    p += 46u + c.nameLen + c.extraLen + c.commentLen;
  }
  return out;
}

TEST_F(WriterBytesTest, PlainDeflateMember) {
  Write("in\\ABCDEF.txt", Text(5000));
  std::filesystem::last_write_time(Host("in\\ABCDEF.txt"),
                                   std::filesystem::file_time_type::clock::now());
  auto z = NewArchive("p.zip");
  z->OnStoreFile = [](TZABaseArchiver*, std::string& name, int&, std::string& comment,
                      const std::string& original) {
    EXPECT_EQ(name, "ABCDEF.txt");
    EXPECT_EQ(original, "T:\\in\\ABCDEF.txt");
    comment = "c:\\dane\\abcdef.txt";
  };
  z->AddFiles(Win("in\\ABCDEF.txt"), kFaAnyFile);
  z->CloseArchive();
  const std::string b = Read("p.zip");
  // Local header.
  EXPECT_EQ(U32(b, 0), 0x04034B50u);
  EXPECT_EQ(U16(b, 4), 0x0014);
  EXPECT_EQ(U16(b, 6), 0);
  EXPECT_EQ(U16(b, 8), 8);
  EXPECT_EQ(U16(b, 26), 10);
  EXPECT_EQ(U16(b, 28), 0);
  EXPECT_EQ(b.substr(30, 10), "ABCDEF.txt");
  auto c = CentralHeaders(b);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].madeBy, 0x0014);
  EXPECT_EQ(c[0].needed, 0x0014);
  EXPECT_EQ(c[0].flags, 0);
  EXPECT_EQ(c[0].method, 8);
  EXPECT_EQ(c[0].size, 5000u);
  EXPECT_EQ(c[0].crc, U32(b, 14));
  EXPECT_EQ(c[0].packed, U32(b, 18));
  const std::string data = Text(5000);
  EXPECT_EQ(c[0].crc, crc32(0, reinterpret_cast<const Bytef*>(data.data()), 5000));
  EXPECT_EQ(c[0].attr & 0xFFFF0000u, 0u);
  EXPECT_EQ(c[0].offset, 0u);
  EXPECT_EQ(b.substr(c[0].at + 46 + 10, c[0].commentLen), "c:\\dane\\abcdef.txt");
  // The DOS time is the file's last write (local time, two-second steps).
  const std::uint32_t dos = (std::uint32_t{c[0].date} << 16) | c[0].time;
  EXPECT_LE(std::abs(static_cast<long>(platform::DosToUnixTime(dos) - std::time(nullptr))), 5);
}

TEST_F(WriterBytesTest, AesMemberCarriesMethod99AndTheAeField) {
  Write("in\\a.jpg", Text(3000));
  auto z = NewArchive("aes.zip", "hasło");
  z->AddFiles(Win("in\\a.jpg"), kFaAnyFile);
  z->CloseArchive();
  const std::string b = Read("aes.zip");
  EXPECT_EQ(U16(b, 4), 0x0014);
  EXPECT_EQ(U16(b, 6), 1);
  EXPECT_EQ(U16(b, 8), 99);
  ASSERT_EQ(U16(b, 28), 11);
  const std::size_t extra = 30 + U16(b, 26);
  EXPECT_EQ(b.substr(extra, 11), std::string("\x01\x99\x07\x00\x02\x00" "AE" "\x01\x08\x00", 11));
  auto c = CentralHeaders(b);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].method, 99);
  EXPECT_EQ(c[0].flags, 1);
  EXPECT_EQ(b.substr(c[0].at + 46 + c[0].nameLen, 11), b.substr(extra, 11));
  // Salt 8 + verifier 2 + deflated data + code 10.
  z = OpenRead("aes.zip");
  const TDirItem& m = z->Directory()->Current.Item(0);
  EXPECT_EQ(m.AesStrength, 1);
  EXPECT_EQ(m.ActualMethod, 8);
  EXPECT_GT(m.CompressedSize64, 20u);
  EXPECT_EQ(U32(b, extra + 11 + m.CompressedSize64), 0x02014B50u);
}

TEST_F(WriterBytesTest, NoPasswordMeansNoAesWhateverTheMethod) {
  Write("a.txt", "abc");
  auto z = NewArchive("n.zip");
  z->EncryptionMethod = caAES_256;
  z->AddFiles(Win("a.txt"));
  z->CloseArchive();
  const std::string b = Read("n.zip");
  EXPECT_EQ(U16(b, 6), 0);
  EXPECT_EQ(U16(b, 8), 8);
  EXPECT_EQ(U16(b, 28), 0);
  EXPECT_EQ(U32(b, 14), 0x352441C2u);
}

TEST_F(WriterBytesTest, EmptyFilesAreStored) {
  Write("e1", "");
  Write("e2", "");
  auto z = NewArchive("e.zip");
  z->AddFiles(Win("e1"));
  z->SetPassword("pw");
  z->AddFiles(Win("e2"));
  z->CloseArchive();
  auto c = CentralHeaders(Read("e.zip"));
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].method, 0);
  EXPECT_EQ(c[0].crc, 0u);
  EXPECT_EQ(c[0].packed, 0u);
  EXPECT_EQ(c[0].size, 0u);
  // Encrypted: only salt, verifier and code; the AES field says stored.
  EXPECT_EQ(c[1].method, 99);
  EXPECT_EQ(c[1].packed, 20u);
  EXPECT_EQ(c[1].crc, 0u);
  auto r = OpenRead("e.zip");
  EXPECT_EQ(r->Directory()->Current.Item(1).ActualMethod, 0);
}

TEST_F(WriterBytesTest, BlocksAreJoinedBySyncFlush) {
  // Level 1 cuts 512 KiB blocks: one byte more gives two, the first ending in 00 00 FF FF.
  const std::string data = Text(524289, 7);
  Write("big.txt", data);
  auto z = NewArchive("s.zip");
  z->AddFiles(Win("big.txt"));
  z->CloseArchive();
  const std::string b = Read("s.zip");
  const std::uint32_t packed = U32(b, 18);
  const std::string stored = b.substr(30 + 7, packed);
  EXPECT_NE(stored.find(std::string("\x00\x00\xFF\xFF", 4)), std::string::npos);
  // Raw deflate: no zlib header, inflates to the source.
  z_stream zs{};
  ASSERT_EQ(inflateInit2(&zs, -15), Z_OK);
  std::string out(data.size() + 16, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.data()));
  zs.avail_in = static_cast<uInt>(stored.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&zs, Z_FINISH), Z_STREAM_END);
  out.resize(zs.total_out);
  inflateEnd(&zs);
  EXPECT_EQ(out, data);
}

TEST_F(WriterBytesTest, VersionAndNamesWithoutOemNames) {
  Write("αβγ.txt", "x");
  Write("żółw.txt", "y");
  auto z = NewArchive("v.zip");
  z->Options.OEMFileNames = false;
  z->AddFiles(Win("αβγ.txt"));
  z->AddFiles(Win("żółw.txt"));
  z->CloseArchive();
  auto c = CentralHeaders(Read("v.zip"));
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].needed, 0x0B14);
  EXPECT_EQ(c[0].flags, 0x0800);
  EXPECT_EQ(c[1].flags, 0);
  auto r = std::make_unique<TZipArchiver>();
  r->Options.OEMFileNames = false;
  r->FileName = Win("v.zip");
  r->OpenArchive(0);
  EXPECT_EQ(r->Directory()->Current.Item(0).Name, "αβγ.txt");
  EXPECT_EQ(r->Directory()->Current.Item(1).Name, "żółw.txt");
}

}  // namespace
}  // namespace engine::testing

namespace engine::testing {
namespace {

TEST_F(WriterBytesTest, NoCompressionMasksStoreMatchingFiles) {
  Write("photo.JPG", Text(4000));
  Write("note.txt", Text(4000));
  auto z = NewArchive("m.zip");
  z->NoCompressionMasks = {"*.jpg"};
  z->AddFiles(Win("photo.JPG"));
  z->AddFiles(Win("note.txt"));
  z->CloseArchive();
  auto c = CentralHeaders(Read("m.zip"));
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].method, 0);
  EXPECT_EQ(c[0].packed, 4000u);
  EXPECT_EQ(c[1].method, 8);
}

}  // namespace
}  // namespace engine::testing
