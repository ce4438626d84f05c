#pragma once
// Little-endian record reading and writing. ByteReader never reads past its buffer: a read
// that does not fit sets a sticky error flag and yields zeros, so a record is read field by
// field and checked once at the end.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

  std::uint8_t U8() { return static_cast<std::uint8_t>(Le(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Le(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Le(4)); }
  std::uint64_t U64() { return Le(8); }
  // n bytes as a string; on a short buffer the error flag and "".
  std::string Bytes(std::size_t n);
  std::span<const std::uint8_t> Span(std::size_t n);
  void Skip(std::size_t n);

  bool Ok() const noexcept { return ok_; }
  std::size_t Position() const noexcept { return pos_; }
  std::size_t Remaining() const noexcept { return data_.size() - pos_; }

 private:
  std::uint64_t Le(std::size_t n);
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

class ByteWriter {
 public:
  void U8(std::uint8_t v) { out_.push_back(v); }
  void U16(std::uint16_t v) { Le(v, 2); }
  void U32(std::uint32_t v) { Le(v, 4); }
  void U64(std::uint64_t v) { Le(v, 8); }
  void Bytes(std::string_view s) { out_.insert(out_.end(), s.begin(), s.end()); }
  void Bytes(std::span<const std::uint8_t> s) { out_.insert(out_.end(), s.begin(), s.end()); }

  const std::vector<std::uint8_t>& Data() const noexcept { return out_; }
  std::vector<std::uint8_t>& Data() noexcept { return out_; }

 private:
  void Le(std::uint64_t v, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  std::vector<std::uint8_t> out_;
};

inline std::uint16_t GetU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace engine
