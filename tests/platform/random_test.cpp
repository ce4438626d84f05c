// GUIDs from the system's random source.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "platform/random.h"

namespace platform {
namespace {

TEST(NewGuidText, BracedUpperCaseVersion4AndDistinct) {
  const std::regex form("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) {
    const std::string guid = NewGuidText();
    EXPECT_EQ(guid.size(), 38u);
    EXPECT_TRUE(std::regex_match(guid, form)) << guid;
    seen.insert(guid);
  }
  EXPECT_EQ(seen.size(), 100u);
}

TEST(SecureRandomBytes, FillsLargeBuffers) {
  std::vector<std::byte> buffer(1 << 20);  // more than one getrandom() call may return
  SecureRandomBytes(buffer);
  std::size_t zeros = 0;
  for (const std::byte b : buffer) zeros += b == std::byte{0} ? 1 : 0;
  EXPECT_LT(zeros, buffer.size() / 128);  // about 1/256 expected
}

}  // namespace
}  // namespace platform
