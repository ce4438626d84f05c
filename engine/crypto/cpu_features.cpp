#include "engine/crypto/cpu_features.h"

#include <atomic>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define KW_X86 1
#endif

namespace engine {
namespace {

std::atomic<bool> forcePortable{false};

#ifdef KW_X86
struct CpuFlags {
  bool aes = false;
  bool sse41 = false;
  bool ssse3 = false;
  bool sha = false;
};

CpuFlags ReadCpuFlags() {
  CpuFlags flags;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0) {
    flags.aes = (ecx >> 25) & 1u;
    flags.sse41 = (ecx >> 19) & 1u;
    flags.ssse3 = (ecx >> 9) & 1u;
  }
  if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0) flags.sha = (ebx >> 29) & 1u;
  return flags;
}

const CpuFlags& Flags() {
  static const CpuFlags flags = ReadCpuFlags();
  return flags;
}
#endif

}  // namespace

bool CpuHasAesInstructions() noexcept {
#ifdef KW_X86
  return Flags().aes && Flags().sse41;
#else
  return false;
#endif
}

bool CpuHasShaInstructions() noexcept {
#ifdef KW_X86
  return Flags().sha && Flags().sse41 && Flags().ssse3;
#else
  return false;
#endif
}

void ForcePortableCrypto(bool force) noexcept { forcePortable.store(force); }

bool UseAesInstructions() noexcept { return !forcePortable.load() && CpuHasAesInstructions(); }
bool UseShaInstructions() noexcept { return !forcePortable.load() && CpuHasShaInstructions(); }

}  // namespace engine
