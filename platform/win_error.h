#pragma once
// Windows error codes, as the layers above report them ("NativeError"), and the
// mapping from the host's errno values.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

enum WinError : std::uint32_t {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorTooManyOpenFiles = 4,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorNotEnoughMemory = 8,
  kErrorInvalidDrive = 15,
  kErrorWriteProtect = 19,
  kErrorNotReady = 21,
  kErrorSharingViolation = 32,
  kErrorLockViolation = 33,
  kErrorHandleEof = 38,
  kErrorNotSupported = 50,
  kErrorFileExists = 80,
  kErrorInvalidParameter = 87,
  kErrorDiskFull = 112,
  kErrorInvalidName = 123,
  kErrorDirNotEmpty = 145,
  kErrorAlreadyExists = 183,
  kErrorFilenameTooLong = 206,
};

// The Windows error code closest to a host errno value.
std::uint32_t WinErrorFromErrno(int err) noexcept;

// A failed host operation: its message, the Windows error code and the errno it came from.
class OsError : public std::runtime_error {
 public:
  OsError(const std::string& message, std::uint32_t winError, int err = 0)
      : std::runtime_error(message), winError_(winError), errno_(err) {}
  std::uint32_t WinErrorCode() const noexcept { return winError_; }
  int Errno() const noexcept { return errno_; }

 private:
  std::uint32_t winError_;
  int errno_;
};

}  // namespace platform
