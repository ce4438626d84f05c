#include "model/md5.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Md5Case {
  const char* name;
  std::string input;
  const char* hex;
};

class Md5Vectors : public ::testing::TestWithParam<Md5Case> {};

// RFC 1321, appendix A.5.
INSTANTIATE_TEST_SUITE_P(
    Rfc1321, Md5Vectors,
    ::testing::Values(
        Md5Case{"empty", "", "D41D8CD98F00B204E9800998ECF8427E"},
        Md5Case{"a", "a", "0CC175B9C0F1B6A831C399E269772661"},
        Md5Case{"abc", "abc", "900150983CD24FB0D6963F7D28E17F72"},
        Md5Case{"message_digest", "message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        Md5Case{"alphabet", "abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        Md5Case{"alphanumeric", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                "D174AB98D277D9F5A5611C2C9F419D9F"},
        Md5Case{"digits80",
                "1234567890123456789012345678901234567890123456789012345678901234567890123456789"
                "0",
                "57EDF4A22BE3C955AC49DA2E2107B67A"}),
    [](const ::testing::TestParamInfo<Md5Case>& row) { return std::string(row.param.name); });

TEST_P(Md5Vectors, HexDigestMatchesPublishedValue) {
  EXPECT_EQ(kw::Md5HexUpper(GetParam().input), GetParam().hex);
}

// Padding takes one or two final blocks depending on the length modulo 64; pieces of every
// size around those edges must give the one-shot digest.
TEST(Md5, IncrementalPiecesGiveOneShotDigest) {
  std::string data;
  for (int i = 0; i < 300; ++i) data += static_cast<char>(i * 7 + 3);
  for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 300u}) {
    const std::string_view whole(data.data(), length);
    for (std::size_t piece : {1u, 3u, 63u, 64u, 100u}) {
      kw::Md5 md5;
      for (std::size_t at = 0; at < length; at += piece) md5.Update(whole.substr(at, piece));
      EXPECT_EQ(md5.Final(), kw::Md5Digest(whole)) << length << " in pieces of " << piece;
    }
  }
}

// Recorded paths are cp1250 bytes: high bytes must hash as unsigned values.
TEST(Md5, HighBytesHashAsUnsigned) {
  EXPECT_EQ(kw::Md5HexUpper(std::string(1, '\xFF')), "00594FD4F42BA43FC1CA0427A0576295");
}

}  // namespace
