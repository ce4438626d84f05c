#pragma once
// The byte streams the member data loop reads and writes. The archiver implements them over
// its files; the memory forms serve tests and in-memory work.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace engine {

class TZAReadStream {
 public:
  virtual ~TZAReadStream() = default;
  // Reads up to buffer.size() bytes; fewer only at the end of the data (0 at the end).
  virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;
};

// A member's source: its size is known before reading, and it can be read a second time.
class TZASourceStream : public TZAReadStream {
 public:
  virtual std::uint64_t Size() const = 0;
  // Back to the first byte.
  virtual void Rewind() = 0;
};

class TZAWriteStream {
 public:
  virtual ~TZAWriteStream() = default;
  // Writes the bytes; returns how many were written (fewer means the device is full or failed).
  virtual std::size_t Write(std::span<const std::uint8_t> bytes) = 0;
};

// Reads from bytes the caller keeps alive.
class TZAMemoryReadStream final : public TZASourceStream {
 public:
  explicit TZAMemoryReadStream(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t Read(std::span<std::uint8_t> buffer) override;
  std::uint64_t Size() const override { return bytes_.size(); }
  void Rewind() override { position_ = 0; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Appends to its own vector; `capacity` limits it to imitate a full device.
class TZAMemoryWriteStream final : public TZAWriteStream {
 public:
  explicit TZAMemoryWriteStream(std::size_t capacity = SIZE_MAX) : capacity_(capacity) {}
  std::size_t Write(std::span<const std::uint8_t> bytes) override;
  const std::vector<std::uint8_t>& Bytes() const noexcept { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t capacity_;
};

}  // namespace engine
