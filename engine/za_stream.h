#pragma once
// The streams the engine reads and writes: the archive file, source and target files, the
// temporary tail file, memory (tests, fuzzing) and the discarding sink of the test operation.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"

namespace engine {

class TZAStream {
 public:
  virtual ~TZAStream() = default;
  virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;  // short only at the end
  virtual void Write(std::span<const std::uint8_t> data) = 0;    // all or throw
  virtual void Seek(std::uint64_t position) = 0;
  virtual std::uint64_t Position() const = 0;
  virtual std::uint64_t Size() const = 0;
  virtual void Truncate(std::uint64_t size) = 0;
  virtual void Flush() {}
  virtual bool IsFile() const { return false; }

  // Reads exactly buffer.size() bytes; false (and a partial buffer) at the end.
  bool ReadExact(std::span<std::uint8_t> buffer);
};

class TFileStream : public TZAStream {
 public:
  TFileStream(std::string_view windowsPath, platform::OpenMode mode);
  std::size_t Read(std::span<std::uint8_t> buffer) override;
  void Write(std::span<const std::uint8_t> data) override;
  void Seek(std::uint64_t position) override { file_.Seek(position); }
  std::uint64_t Position() const override { return file_.Position(); }
  std::uint64_t Size() const override { return file_.Size(); }
  void Truncate(std::uint64_t size) override { file_.Truncate(size); }
  void Flush() override { file_.Flush(); }
  bool IsFile() const override { return true; }
  void Close() { file_.Close(); }
  const std::string& Path() const noexcept { return path_; }

 private:
  std::string path_;
  platform::File file_;
};

class TMemoryStream : public TZAStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> bytes) : data_(std::move(bytes)) {}
  std::size_t Read(std::span<std::uint8_t> buffer) override;
  void Write(std::span<const std::uint8_t> data) override;
  void Seek(std::uint64_t position) override { pos_ = position; }
  std::uint64_t Position() const override { return pos_; }
  std::uint64_t Size() const override { return data_.size(); }
  void Truncate(std::uint64_t size) override;
  const std::vector<std::uint8_t>& Bytes() const noexcept { return data_; }

 private:
  std::vector<std::uint8_t> data_;
  std::uint64_t pos_ = 0;
};

// Accepts and discards everything: the sink of the test operation.
class TNullStream : public TZAStream {
 public:
  std::size_t Read(std::span<std::uint8_t>) override { return 0; }
  void Write(std::span<const std::uint8_t> data) override {
    pos_ += data.size();
    if (pos_ > size_) size_ = pos_;
  }
  void Seek(std::uint64_t position) override { pos_ = position; }
  std::uint64_t Position() const override { return pos_; }
  std::uint64_t Size() const override { return size_; }
  void Truncate(std::uint64_t size) override { size_ = size; }

 private:
  std::uint64_t pos_ = 0, size_ = 0;
};

}  // namespace engine
