// Blowfish-CBC throughput of TCryptCBC over TBlowFish against OpenSSL's
// BF-CBC, on buffers of 1 KB, 64 KB and 8 MB, encrypting and decrypting.
//
// Both sides get the same key, vector and bytes; the key schedule is outside
// the timed loop on both sides. Our Encrypt adds its padding block, as every
// stored entry has one; OpenSSL is timed on the bare buffer, which favours it
// by one block in 128 at 64 KB. The peer is OpenSSL's BF_cbc_encrypt, the
// routine its EVP "BF-CBC" (legacy provider) runs, called directly so that no
// EVP overhead flatters us.
//
// The last two lines are
//   BENCH blowfish-cbc-encrypt-64k <MB/s> MB/s ratio <ours / OpenSSL's time> vs openssl
// (MB = 10^6 bytes; times are the best CPU time of three repetitions)
//   BENCH blowfish-cbc-decrypt-64k ...
#define OPENSSL_SUPPRESS_DEPRECATED 1
#include <benchmark/benchmark.h>
#include <openssl/blowfish.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/crypto/CryptUtils.h"
#include "core/crypto/USecurity.h"

namespace {

using quillet::TBlowFish;
using quillet::TCryptCBC;

const std::string kKey = "a diary key word";

std::vector<std::uint8_t> Data(std::size_t size) {
  std::vector<std::uint8_t> data(size);
  std::uint32_t x = 2463534242u;
  for (auto& b : data) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<std::uint8_t>(x);
  }
  return data;
}

TCryptCBC MakeCrypt() {
  return TCryptCBC(kKey, std::make_unique<TBlowFish>(), quillet::kWordKeyVector.data(), quillet::kWordKeyVector.size(),
                   quillet::padCount);
}

void OursEncrypt(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const auto plain = Data(size);
  TCryptCBC crypt = MakeCrypt();
  std::vector<std::uint8_t> out(crypt.PaddedSize(size));
  for (auto _ : state) {
    crypt.Encrypt(plain.data(), out.data(), size);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void OursDecrypt(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  TCryptCBC crypt = MakeCrypt();
  // A cipher text of exactly `size` bytes: encrypt size - 1 bytes.
  const auto plain = Data(size - 1);
  std::vector<std::uint8_t> cipherText(size);
  crypt.Encrypt(plain.data(), cipherText.data(), size - 1);
  std::vector<std::uint8_t> out(size);
  for (auto _ : state) {
    benchmark::DoNotOptimize(crypt.Decrypt(cipherText.data(), out.data(), size));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void OpenSslCbc(benchmark::State& state, int direction) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const auto in = Data(size);
  std::vector<std::uint8_t> out(size);
  BF_KEY key;
  BF_set_key(&key, static_cast<int>(kKey.size()), reinterpret_cast<const unsigned char*>(kKey.data()));
  for (auto _ : state) {
    unsigned char iv[8];
    std::copy(quillet::kWordKeyVector.begin(), quillet::kWordKeyVector.end(), iv);
    BF_cbc_encrypt(in.data(), out.data(), static_cast<long>(size), &key, iv, direction);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void OpenSslEncrypt(benchmark::State& state) { OpenSslCbc(state, BF_ENCRYPT); }
void OpenSslDecrypt(benchmark::State& state) { OpenSslCbc(state, BF_DECRYPT); }

// Each pair runs side by side, ours first, for each size; three repetitions
// each, of which the fastest counts (the machine is shared, and other work
// only ever makes a run slower).
void Register() {
  for (const std::int64_t size : {1 << 10, 64 << 10, 8 << 20}) {
    benchmark::RegisterBenchmark("encrypt/ours", OursEncrypt)->Arg(size)->Repetitions(3);
    benchmark::RegisterBenchmark("encrypt/openssl", OpenSslEncrypt)->Arg(size)->Repetitions(3);
    benchmark::RegisterBenchmark("decrypt/ours", OursDecrypt)->Arg(size)->Repetitions(3);
    benchmark::RegisterBenchmark("decrypt/openssl", OpenSslDecrypt)->Arg(size)->Repetitions(3);
  }
}

// Console output as usual, plus the smallest CPU time per iteration of each
// benchmark's repetitions, by name. CPU time rather than wall time, so that
// time spent waiting for the processor while others build does not count.
class TRecordingReporter : public benchmark::ConsoleReporter {
public:
  // No colour codes: the BENCH lines must start their lines for whoever reads
  // the log.
  TRecordingReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;  // skip mean, median, deviation
      const double seconds = run.GetAdjustedCPUTime() / 1e9;
      const auto [it, inserted] = m_seconds.emplace(run.run_name.function_name + "/" + run.run_name.args, seconds);
      if (!inserted && seconds < it->second) it->second = seconds;
    }
  }
  double Seconds(const std::string& name) const {
    const auto it = m_seconds.find(name);
    return it == m_seconds.end() ? 0.0 : it->second;
  }

private:
  std::map<std::string, double> m_seconds;
};

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  TRecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  // Times are per iteration in the default unit, nanoseconds.
  const char* size = "/65536";
  for (const char* direction : {"encrypt", "decrypt"}) {
    const double ours = reporter.Seconds(std::string(direction) + "/ours" + size);
    const double peer = reporter.Seconds(std::string(direction) + "/openssl" + size);
    const double megabytes = 65536.0 / 1e6;
    std::printf("BENCH blowfish-cbc-%s-64k %.1f MB/s ratio %.2f vs openssl\n", direction,
                ours > 0 ? megabytes / ours : 0.0, peer > 0 ? ours / peer : 0.0);
  }
  return 0;
}
