#include "engine/za_stream.h"

#include <algorithm>
#include <cstring>

namespace engine {

bool TZAStream::ReadExact(std::span<std::uint8_t> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    std::size_t n = Read(buffer.subspan(done));
    if (n == 0) return false;
    done += n;
  }
  return true;
}

TFileStream::TFileStream(std::string_view windowsPath, platform::OpenMode mode)
    : path_(windowsPath), file_(platform::File::Open(windowsPath, mode)) {}

std::size_t TFileStream::Read(std::span<std::uint8_t> buffer) {
  return file_.Read(std::as_writable_bytes(buffer));
}

void TFileStream::Write(std::span<const std::uint8_t> data) { file_.Write(std::as_bytes(data)); }

std::size_t TMemoryStream::Read(std::span<std::uint8_t> buffer) {
  if (pos_ >= data_.size()) return 0;
  std::size_t n = std::min<std::uint64_t>(buffer.size(), data_.size() - pos_);
  std::memcpy(buffer.data(), data_.data() + pos_, n);
  pos_ += n;
  return n;
}

void TMemoryStream::Write(std::span<const std::uint8_t> data) {
  if (data.empty()) return;
  if (pos_ + data.size() > data_.size()) data_.resize(pos_ + data.size());
  std::memcpy(data_.data() + pos_, data.data(), data.size());
  pos_ += data.size();
}

void TMemoryStream::Truncate(std::uint64_t size) { data_.resize(size); }

}  // namespace engine
