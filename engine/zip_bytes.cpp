#include "engine/zip_bytes.h"

namespace engine {

std::uint64_t ByteReader::Le(std::size_t n) {
  if (!ok_ || Remaining() < n) {
    ok_ = false;
    return 0;
  }
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(data_[pos_ + i]) << (8 * i);
  pos_ += n;
  return v;
}

std::span<const std::uint8_t> ByteReader::Span(std::size_t n) {
  if (!ok_ || Remaining() < n) {
    ok_ = false;
    return {};
  }
  auto s = data_.subspan(pos_, n);
  pos_ += n;
  return s;
}

std::string ByteReader::Bytes(std::size_t n) {
  auto s = Span(n);
  return std::string(s.begin(), s.end());
}

void ByteReader::Skip(std::size_t n) { (void)Span(n); }

}  // namespace engine
