// Checksums, ciphers and the Deflate glue, each against its reference in the same run.
// Paired benchmarks time the candidate and its reference alternately in every iteration (in
// processor time) and report the ratio as a counter, so machine noise hits both alike.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <ctime>
#include <string_view>
#include <vector>

#include "engine/compression.h"
#include "engine/crypto/aes_crypto_transform.h"
#include "engine/crypto/cpu_features.h"
#include "engine/crypto/crc32.h"
#include "engine/crypto/pbkdf2.h"

namespace {

using engine::TZACompressRequest;

constexpr std::size_t kDataSize = 16 << 20;

std::uint64_t Next(std::uint64_t& s) {
  s ^= s << 13;
  s ^= s >> 7;
  s ^= s << 17;
  return s;
}

// Text-like data (a genealogy data file compresses about this well) and incompressible data
// (photographs, the bulk of an archive).
const std::vector<std::uint8_t>& TextData() {
  static const std::vector<std::uint8_t> data = [] {
    static constexpr std::string_view kWords[] = {
        "<osoba id=\"", "Kowalski ", "Nowak ", "ur. ", "1887 ", "Krakow ", "parafia ", "syn ",
        "corka ", "\"/>\n", "zdjecie.jpg ", "slub ", "Wisniewska ", "zm. ", "1944 ", "akt "};
    std::vector<std::uint8_t> bytes;
    std::uint64_t s = 12345;
    while (bytes.size() < kDataSize) {
      const auto word = kWords[Next(s) % 16];
      bytes.insert(bytes.end(), word.begin(), word.end());
      if (Next(s) % 4 == 0) {
        const auto digits = std::to_string(Next(s) % 100000);
        bytes.insert(bytes.end(), digits.begin(), digits.end());
      }
    }
    bytes.resize(kDataSize);
    return bytes;
  }();
  return data;
}

const std::vector<std::uint8_t>& RandomData() {
  static const std::vector<std::uint8_t> data = [] {
    std::vector<std::uint8_t> bytes(kDataSize);
    std::uint64_t s = 987654321;
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
      const std::uint64_t v = Next(s);
      for (int k = 0; k < 8; ++k) bytes[i + k] = static_cast<std::uint8_t>(v >> (8 * k));
    }
    return bytes;
  }();
  return data;
}

const std::vector<std::uint8_t>& Data(std::int64_t which) { return which == 0 ? TextData() : RandomData(); }

class CountingSink final : public engine::TZAWriteStream {
 public:
  std::size_t Write(std::span<const std::uint8_t> bytes) override {
    written += bytes.size();
    return bytes.size();
  }
  std::uint64_t written = 0;
};

// The reference: a plain zlib loop at the same level and the same raw framing - the input fed
// in the same 512 KiB pieces without flushes, finished at the end, output to one reused
// buffer; with the zlib CRC-32 of the input when `withCrc`.
std::uint64_t ZlibDeflateLoop(const std::vector<std::uint8_t>& data, int level, bool withCrc) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::vector<std::uint8_t> out(1 << 20);
  std::uint64_t produced = 0;
  uLong crc = crc32(0, nullptr, 0);
  const std::size_t piece = engine::CompressionBlockSize(level);
  for (std::size_t at = 0; at < data.size(); at += piece) {
    const std::size_t n = std::min(piece, data.size() - at);
    if (withCrc) crc = crc32(crc, data.data() + at, static_cast<uInt>(n));
    z.next_in = const_cast<Bytef*>(data.data() + at);
    z.avail_in = static_cast<uInt>(n);
    const int flush = at + n == data.size() ? Z_FINISH : Z_NO_FLUSH;
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      deflate(&z, flush);
      produced += out.size() - z.avail_out;
    } while (z.avail_out == 0);
  }
  deflateEnd(&z);
  benchmark::DoNotOptimize(crc);
  return produced;
}

std::uint64_t Glue(const std::vector<std::uint8_t>& data, int level,
                   engine::TZAMemberCipher* cipher = nullptr) {
  engine::TZAMemoryReadStream source(data);
  CountingSink sink;
  TZACompressRequest request;
  request.level = level;
  request.sourceSize = data.size();
  request.cipher = cipher;
  return engine::CompressMemberData(request, source, sink).compressedSize;
}

// Processor time, not wall time: the machine is shared, and waiting for a core is not work.
template <typename F>
double Seconds(F&& f) {
  const std::clock_t start = std::clock();
  f();
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

// --- CRC-32 -------------------------------------------------------------------------------

void BM_Crc32_Zlib(benchmark::State& state) {
  const auto& data = RandomData();
  for (auto _ : state) benchmark::DoNotOptimize(engine::Crc32(data));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_Crc32_Zlib)->Unit(benchmark::kMillisecond);

// The byte-wise table step, as the traditional cipher uses it: the peer of the bulk routine.
void BM_Crc32_TableStep(benchmark::State& state) {
  const auto& data = RandomData();
  for (auto _ : state) {
    std::uint32_t reg = engine::kCrc32Initial;
    for (const std::uint8_t b : data) reg = engine::Crc32Step(reg, b);
    benchmark::DoNotOptimize(reg);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_Crc32_TableStep)->Unit(benchmark::kMillisecond);

// --- AES-128 counter mode + HMAC-SHA1 ------------------------------------------------------

// Arg 0: CPU instructions, 1: portable code.
void BM_Aes128CtrHmac(benchmark::State& state) {
  engine::ForcePortableCrypto(state.range(0) == 1);
  auto data = RandomData();
  if (state.range(0) == 1) data.resize(1 << 20);  // the portable path is slow; 1 MiB suffices
  engine::TAESCryptoTransform transform(128, 8);
  transform.SetPassword("hasło");
  for (auto _ : state) {
    transform.EncryptBuffer(data);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
  state.SetLabel(state.range(0) == 1 ? "portable" : "AES-NI + SHA-NI");
  engine::ForcePortableCrypto(false);
}
BENCHMARK(BM_Aes128CtrHmac)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The cipher's time over the same bytes as Deflate level 1, as a share of Deflate's time.
// The worst case: in a member the cipher runs over the compressed bytes, which are fewer.
// Arg: 0 text, 1 incompressible.
void BM_CipherShareOfDeflate1(benchmark::State& state) {
  auto data = Data(state.range(0));
  double cipher = 0, deflate = 0;
  for (auto _ : state) {
    deflate += Seconds([&] { benchmark::DoNotOptimize(ZlibDeflateLoop(data, 1, false)); });
    engine::TAESCryptoTransform transform(128, 8);
    transform.SetPassword("hasło");
    cipher += Seconds([&] {
      transform.EncryptBuffer(data);
      benchmark::ClobberMemory();
    });
  }
  state.counters["cipher/deflate1"] = cipher / deflate;
  state.SetLabel(state.range(0) == 0 ? "text" : "incompressible");
}
BENCHMARK(BM_CipherShareOfDeflate1)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(8);

// What encryption really adds to a member: CompressMemberData at level 1 with the AES-128
// member cipher (salt, PBKDF2, counter mode + HMAC over the compressed bytes) against the
// same call without it.
void BM_EncryptedMemberOverPlain(benchmark::State& state) {
  const auto& data = Data(state.range(0));
  double encrypted = 0, plain = 0;
  for (auto _ : state) {
    plain += Seconds([&] { benchmark::DoNotOptimize(Glue(data, 1)); });
    encrypted += Seconds([&] {
      engine::TAESCryptoTransform transform(128, 8);
      transform.SetPassword("hasło");
      engine::TZAAesMemberCipher cipher(transform);
      benchmark::DoNotOptimize(Glue(data, 1, &cipher));
    });
  }
  state.counters["encrypted/plain"] = encrypted / plain;
  state.SetLabel(state.range(0) == 0 ? "text" : "incompressible");
}
BENCHMARK(BM_EncryptedMemberOverPlain)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(8);

// --- PBKDF2 --------------------------------------------------------------------------------

// One key derivation of an AES-128 member (1000 iterations, 34 bytes). Arg as above.
void BM_Pbkdf2_Aes128Member(benchmark::State& state) {
  engine::ForcePortableCrypto(state.range(0) == 1);
  const std::uint8_t salt[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  for (auto _ : state) {
    const engine::TPBKDF2 kdf("hasło", salt, 1000);
    benchmark::DoNotOptimize(kdf.GetBytes(34));
  }
  state.SetLabel(state.range(0) == 1 ? "portable" : "SHA-NI");
  engine::ForcePortableCrypto(false);
}
BENCHMARK(BM_Pbkdf2_Aes128Member)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// --- Deflate glue against a plain zlib loop -------------------------------------------------

void BM_ZlibDeflateLoop_Level1(benchmark::State& state) {
  const auto& data = Data(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(ZlibDeflateLoop(data, 1, false));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
  state.SetLabel(state.range(0) == 0 ? "text" : "incompressible");
}
BENCHMARK(BM_ZlibDeflateLoop_Level1)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CompressMemberData_Level1(benchmark::State& state) {
  const auto& data = Data(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(Glue(data, 1));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
  state.SetLabel(state.range(0) == 0 ? "text" : "incompressible");
}
BENCHMARK(BM_CompressMemberData_Level1)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The glue's time over the plain loop's, alternating: against deflate alone, and against
// deflate plus the CRC-32 that any member needs.
void BM_GlueOverZlib_Level1(benchmark::State& state) {
  const auto& data = Data(state.range(0));
  double glue = 0, bare = 0, withCrc = 0;
  for (auto _ : state) {
    bare += Seconds([&] { benchmark::DoNotOptimize(ZlibDeflateLoop(data, 1, false)); });
    withCrc += Seconds([&] { benchmark::DoNotOptimize(ZlibDeflateLoop(data, 1, true)); });
    glue += Seconds([&] { benchmark::DoNotOptimize(Glue(data, 1)); });
  }
  state.counters["glue/zlib"] = glue / bare;
  state.counters["glue/zlib+crc"] = glue / withCrc;
  state.SetLabel(state.range(0) == 0 ? "text" : "incompressible");
}
BENCHMARK(BM_GlueOverZlib_Level1)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(8);

// --- Reading: DecompressMemberData against a plain raw-inflate loop ------------------------

std::vector<std::uint8_t> Deflated(const std::vector<std::uint8_t>& data) {
  engine::TZAMemoryReadStream source(data);
  engine::TZAMemoryWriteStream archive;
  TZACompressRequest request;
  request.sourceSize = data.size();
  engine::CompressMemberData(request, source, archive);
  return archive.Bytes();
}

// The reference: raw inflate from the same 1 MiB input pieces into one reused 1 MiB buffer,
// with zlib's CRC-32 of the output (every member's check).
std::uint64_t ZlibInflateLoop(const std::vector<std::uint8_t>& stored) {
  z_stream z{};
  inflateInit2(&z, -15);
  std::vector<std::uint8_t> out(1 << 20);
  uLong crc = crc32(0, nullptr, 0);
  std::uint64_t produced = 0;
  for (std::size_t at = 0; at < stored.size(); at += out.size()) {
    z.next_in = const_cast<Bytef*>(stored.data() + at);
    z.avail_in = static_cast<uInt>(std::min(out.size(), stored.size() - at));
    int rc = Z_OK;
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      rc = inflate(&z, Z_NO_FLUSH);
      const std::size_t n = out.size() - z.avail_out;
      crc = crc32(crc, out.data(), static_cast<uInt>(n));
      produced += n;
    } while (rc == Z_OK && (z.avail_in != 0 || z.avail_out == 0));
  }
  inflateEnd(&z);
  benchmark::DoNotOptimize(crc);
  return produced;
}

void BM_DecompressOverZlib(benchmark::State& state) {
  const auto stored = Deflated(Data(state.range(0)));
  double glue = 0, reference = 0;
  for (auto _ : state) {
    reference += Seconds([&] { benchmark::DoNotOptimize(ZlibInflateLoop(stored)); });
    glue += Seconds([&] {
      engine::TZAMemoryReadStream archive(stored);
      CountingSink sink;
      engine::TZADecompressRequest request;
      request.dataLength = stored.size();
      benchmark::DoNotOptimize(engine::DecompressMemberData(request, archive, sink).crc32);
    });
  }
  state.counters["glue/zlib+crc"] = glue / reference;
  state.counters["MB/s"] = static_cast<double>(state.iterations()) * kDataSize / glue / 1e6;
  state.SetLabel(state.range(0) == 0 ? "text" : "incompressible");
}
BENCHMARK(BM_DecompressOverZlib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace
