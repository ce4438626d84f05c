#include <gtest/gtest.h>

#include "model/path_text.h"

namespace kw {
namespace {

TEST(PathText, WindowsPathParts) {
  struct Row {
    const char* path;
    const char* name;
    const char* dir;
    const char* monograph;
  };
  for (const Row& r : {Row{"c:\\a\\b.jpg", "b.jpg", "c:\\a", "c:\\a\\b_monografie"},
                       Row{"c:\\b.jpg", "b.jpg", "c:\\", "c:\\b_monografie"},
                       Row{"c:b.tar.gz", "b.tar.gz", "c:", "c:b.tar_monografie"},
                       Row{"c:\\kat.v1\\plik", "plik", "c:\\kat.v1", "c:\\kat.v1\\plik_monografie"},
                       Row{"\\\\srv\\udz\\x.kw", "x.kw", "\\\\srv\\udz", "\\\\srv\\udz\\x_monografie"},
                       Row{"plik.kw", "plik.kw", "", "plik_monografie"}}) {
    EXPECT_EQ(ExtractFileName(r.path), r.name) << r.path;
    EXPECT_EQ(ExtractFileDir(r.path), r.dir) << r.path;
    EXPECT_EQ(ChangeFileExt(r.path, "_monografie"), r.monograph) << r.path;
  }
  EXPECT_EQ(LowerAsciiLetters("C:\\ŁÓDŹ\\Foto.JPG"), "c:\\ŁÓdŹ\\foto.jpg");
}

}  // namespace
}  // namespace kw
