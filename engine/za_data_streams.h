#pragma once
// Adapters between the engine's streams and the member data loop of the compression layer:
// a source that keeps the size it had when opened, an archive reader limited to a member's
// data, and writers with the engine's disk-full handling.
#include <cstdint>
#include <functional>
#include <string>

#include "engine/data_stream.h"
#include "engine/za_stream.h"

namespace engine {

// A source file read as it was when opened: a file that grew is stored with its old size.
class TZASourceAdapter final : public TZASourceStream {
 public:
  explicit TZASourceAdapter(TZAStream& s) : s_(s), size_(s.Size()) {}
  std::size_t Read(std::span<std::uint8_t> buffer) override;
  std::uint64_t Size() const override { return size_; }
  void Rewind() override {
    s_.Seek(0);
    done_ = 0;
  }

 private:
  TZAStream& s_;
  std::uint64_t size_;
  std::uint64_t done_ = 0;
};

// Reads at most `limit` bytes from the stream's current position.
class TZALimitedReader final : public TZAReadStream {
 public:
  TZALimitedReader(TZAStream& s, std::uint64_t limit) : s_(s), left_(limit) {}
  std::size_t Read(std::span<std::uint8_t> buffer) override;

 private:
  TZAStream& s_;
  std::uint64_t left_;
};

// Writes everything, or on a full disk asks `diskFull` (which throws, or sets the cancel
// flag it returns) and writes the block again from where it started.
class TZADiskFullWriter final : public TZAWriteStream {
 public:
  // diskFull returns true when the write is to be given up.
  TZADiskFullWriter(TZAStream& s, std::function<bool()> diskFull)
      : s_(s), diskFull_(std::move(diskFull)) {}
  std::size_t Write(std::span<const std::uint8_t> bytes) override;

 private:
  TZAStream& s_;
  std::function<bool()> diskFull_;
};

}  // namespace engine
