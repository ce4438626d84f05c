#include "engine/za_exception.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

TEST(EZAException, MessageWithComponentNameAndPath) {
  EZAException e(12, "ZipArchiver1", {"C:\\x.zip"});
  EXPECT_EQ(e.ErrorCode, 6);
  EXPECT_EQ(e.NativeError, 12);
  EXPECT_STREQ(e.what(), "ZipArchiver1: File \"C:\\x.zip\" not found - Native error: 00012");
}

TEST(EZAException, MessageWithoutPrefix) {
  EZAException e(55);
  EXPECT_EQ(e.ErrorCode, 32);
  EXPECT_STREQ(e.what(), "Deflate64 compression method is not supported - Native error: 00055");
}

TEST(EZAException, CodeMap) {
  struct Row { int native, code; };
  const Row rows[] = {{0, 0},  {1, 1},   {5, 2},   {8, 4},   {13, 7},  {19, 9},
                      {20, 10}, {32, 16}, {33, 12}, {35, 18}, {39, 21}, {40, 22},
                      {41, 23}, {43, 23}, {46, 25}, {55, 32}, {59, 34}, {61, 36},
                      {65, 39}, {67, 40}, {68, 0},  {-1, 0}};
  for (const Row& r : rows) EXPECT_EQ(ZAErrorCodeOf(r.native), r.code) << r.native;
}

TEST(EZAException, TwoNumberArguments) {
  EZAException e(34, "Z", {"100", "42"});
  EXPECT_STREQ(e.what(),
               "Z: Invalid compressed size, rfs.size = 100, count = 42 - Native error: 00034");
  EZAException tooLong(61, "", {"C:\\a"});
  EXPECT_STREQ(tooLong.what(), "File name is too long: \r\n\"C:\\a\" - Native error: 00061");
}

}  // namespace
}  // namespace engine
