#include "engine/za_data_streams.h"

#include <algorithm>

#include "platform/win_error.h"

namespace engine {

std::size_t TZASourceAdapter::Read(std::span<std::uint8_t> buffer) {
  if (done_ >= size_) return 0;
  auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size_ - done_));
  std::size_t got = 0;
  while (got < want) {
    std::size_t n = s_.Read(buffer.subspan(got, want - got));
    if (n == 0) break;
    got += n;
  }
  done_ += got;
  return got;
}

std::size_t TZALimitedReader::Read(std::span<std::uint8_t> buffer) {
  if (left_ == 0) return 0;
  auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), left_));
  std::size_t got = 0;
  while (got < want) {
    std::size_t n = s_.Read(buffer.subspan(got, want - got));
    if (n == 0) break;
    got += n;
  }
  left_ -= got;
  return got;
}

std::size_t TZADiskFullWriter::Write(std::span<const std::uint8_t> bytes) {
  const std::uint64_t start = s_.Position();
  for (;;) {
    try {
      s_.Write(bytes);
      return bytes.size();
    } catch (const platform::OsError& e) {
      if (e.WinErrorCode() != platform::kErrorDiskFull) throw;
      if (diskFull_()) return 0;
      s_.Seek(start);
    }
  }
}

}  // namespace engine
