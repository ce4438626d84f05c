#pragma once
// Descriptor-level helpers shared by the file functions: whole writes, and copying a file
// through a temporary in the target folder so that a failed copy never leaves half a file.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::detail {

// Writes every byte; returns 0 or the errno of the failure.
int WriteAll(int fd, const std::byte* data, std::size_t size);
// Reads until `size` bytes or the end; returns the count, or -1 with errno set.
long long ReadFull(int fd, std::byte* data, std::size_t size);

// Copies `source` (whose stat is `sourceStat`) to folder/name: written to a temporary in
// the folder with the source's permissions and modification time, flushed to the device,
// then renamed over the target (never over an existing one when `failIfExists`), and the
// folder flushed too. Returns 0 or a Windows error code.
std::uint32_t CopyThroughTemporary(const std::string& source, const struct stat& sourceStat,
                                   const std::string& folder, const std::string& name,
                                   bool failIfExists);

}  // namespace platform::detail
