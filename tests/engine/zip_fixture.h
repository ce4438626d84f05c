#pragma once
// Reads the first local member of a small ZIP fixture made by another tool.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace engine::test {

inline std::vector<std::uint8_t> ReadTestFile(const std::string& name) {
  std::ifstream in(std::string(KW_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct LocalMember {
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint16_t dosTime = 0;
  std::uint32_t crc32 = 0;
  std::uint32_t uncompressedSize = 0;
  std::vector<std::uint8_t> extra;
  std::vector<std::uint8_t> data;  // the stored bytes, encryption header and trailer included
};

inline LocalMember ParseFirstLocalMember(const std::vector<std::uint8_t>& zip) {
  auto u16 = [&](std::size_t at) { return static_cast<std::uint16_t>(zip.at(at) | zip.at(at + 1) << 8); };
  auto u32 = [&](std::size_t at) { return std::uint32_t{u16(at)} | std::uint32_t{u16(at + 2)} << 16; };
  LocalMember m;
  EXPECT_EQ(u32(0), 0x04034B50u);
  m.flags = u16(6);
  m.method = u16(8);
  m.dosTime = u16(10);
  m.crc32 = u32(14);
  const std::size_t compressed = u32(18);
  m.uncompressedSize = u32(22);
  const std::size_t nameLength = u16(26);
  const std::size_t extraLength = u16(28);
  const std::size_t extraAt = 30 + nameLength;
  m.extra.assign(zip.begin() + static_cast<std::ptrdiff_t>(extraAt),
                 zip.begin() + static_cast<std::ptrdiff_t>(extraAt + extraLength));
  const std::size_t dataAt = extraAt + extraLength;
  if (dataAt + compressed > zip.size()) {
    ADD_FAILURE() << "fixture member runs past the file";
    return m;
  }
  m.data.assign(zip.begin() + static_cast<std::ptrdiff_t>(dataAt),
                zip.begin() + static_cast<std::ptrdiff_t>(dataAt + compressed));
  return m;
}

}  // namespace engine::test
