#include "engine/data_stream.h"

#include <algorithm>
#include <cstring>

namespace engine {

std::size_t TZAMemoryReadStream::Read(std::span<std::uint8_t> buffer) {
  const std::size_t n = std::min(buffer.size(), bytes_.size() - position_);
  if (n != 0) std::memcpy(buffer.data(), bytes_.data() + position_, n);
  position_ += n;
  return n;
}

std::size_t TZAMemoryWriteStream::Write(std::span<const std::uint8_t> bytes) {
  const std::size_t n = std::min(bytes.size(), capacity_ - bytes_.size());
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
  return n;
}

}  // namespace engine
