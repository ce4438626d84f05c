#include "engine/za_exception.h"

#include <array>
#include <cstdio>

namespace engine {
namespace {

constexpr std::array<std::string_view, 41> kTexts = {
    "Unknown error",
    "Index out of bounds",
    "Invalid compression mode. Mode must be in [0-9] range",
    "Unexpected nil pointer",
    "Invalid size or check sum of file or unsupported compression format",
    "File name is blank. Specify appropriate file name",
    "File \"%s\" not found",
    "Archive is not open",
    "SFXStub property is not specified",
    "Cannot create file \"%s\"",
    "Cannot create directory \"%s\"",
    "Internal error. Update is not started",
    "Cannot open file \"%s\"",
    "Cannot proceed when update is not ended. Preceding EndUpdate call is required.",
    "Cannot delete file \"%s\"",
    "In-memory archive can be created only",
    "File is open in read-only mode",
    "Invalid compressed size, rfs.size = %d, count = %d",
    "Invalid archive file.",
    "Cannot create output file. Probably file is locked by another process. FileName = '%s'.",
    "Archive is open. You should close it beore performing this operation.",
    "Unable to create directory",
    "Cannot find 64-bit directory end record",
    "Cannot compress file '%s'. Zip64 mode is not enabled",
    "Cannot open archive file. Opening aborted or invalid file",
    "Write to stream error",
    "Cannot place SFX stub on volume. Volume size limit is too small",
    "Archive is damaged. Open failed",
    "MakeSFX is not allowed for splitted or spanned archives. Set SFXStub before archive "
    "creation instead of MakeSFX",
    "Archive already has SFX stub",
    "Multi-volume archive is not allowed for custom stream",
    "Multi-spanned archive is not allowed for modification. Use BeginUpdate/EndUpdate methods "
    "to add files several times",
    "Deflate64 compression method is not supported",
    "MakeSFX error",
    "Hashed list of file names is invalid",
    "Cannot delete folder \"%s\"",
    "File name is too long: \r\n\"%s\"",
    "Multiple transactions are not supported for multi-volume archives",
    "Invalid InitVector index = %d. Index should be >= 0 and < %d",
    "Disk is full. There is not enough free space on disk.",
    "Invalid password. Cannot decompress encrypted file.",
};

// NativeError 0..67 -> ErrorCode.
constexpr std::array<int, 68> kCodeMap = {
    0,  1,  1,  1,  1,  2,  3,  1,  4,  5,   // 0..9
    5,  6,  6,  7,  7,  6,  1,  8,  6,  9,   // 10..19
    10, 1,  11, 9,  1,  11, 13, 14, 15, 5,   // 20..29
    6,  6,  16, 12, 17, 18, 19, 20, 6,  21,  // 30..39
    22, 23, 6,  23, 24, 24, 25, 26, 27, 28,  // 40..49
    29, 30, 31, 6,  6,  32, 33, 27, 34, 34,  // 50..59
    35, 36, 37, 38, 38, 39, 39, 40,          // 60..67
};

// Fills "%s" and "%d" in order; a placeholder without an argument stays as written.
std::string Fill(std::string_view text, const std::vector<std::string>& args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == 's' || text[i + 1] == 'd') &&
        next < args.size()) {
      out += args[next++];
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string_view ZAMessageText(int errorCode) noexcept {
  if (errorCode < 0 || errorCode >= static_cast<int>(kTexts.size())) return {};
  return kTexts[static_cast<std::size_t>(errorCode)];
}

int ZAErrorCodeOf(int nativeError) noexcept {
  if (nativeError < 0 || nativeError >= static_cast<int>(kCodeMap.size())) return 0;
  return kCodeMap[static_cast<std::size_t>(nativeError)];
}

std::string EZAException::BuildMessage(int nativeError, std::string_view componentName,
                                       const std::vector<std::string>& args) {
  std::string text = Fill(ZAMessageText(ZAErrorCodeOf(nativeError)), args);
  std::string message;
  if (!componentName.empty()) {
    message.append(componentName).append(": ");
  }
  message += text;
  char code[16];
  std::snprintf(code, sizeof code, "%5d", nativeError);
  for (char& c : code) {
    if (c == ' ') c = '0';
  }
  message.append(" - Native error: ").append(code);
  return message;
}

EZAException::EZAException(int nativeError, std::string_view componentName,
                           const std::vector<std::string>& args)
    : std::runtime_error(BuildMessage(nativeError, componentName, args)),
      ErrorCode(ZAErrorCodeOf(nativeError)),
      NativeError(nativeError) {}

}  // namespace engine
