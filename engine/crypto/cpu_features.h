#pragma once
// Which implementation the ciphers use: the CPU's AES and SHA instructions when present,
// otherwise portable code. Tests and benchmarks can force the portable code so that both
// paths meet the same vectors.
namespace engine {

bool CpuHasAesInstructions() noexcept;  // AES-NI and SSE4.1
bool CpuHasShaInstructions() noexcept;  // SHA-NI and SSE4.1

// Forcing applies to objects created afterwards; not for use while another thread hashes.
void ForcePortableCrypto(bool force) noexcept;

bool UseAesInstructions() noexcept;  // present and not forced off
bool UseShaInstructions() noexcept;

}  // namespace engine
