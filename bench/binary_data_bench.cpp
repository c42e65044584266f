// SPDX-License-Identifier: MIT
// Throughput of the byte-buffer codecs and conversions, and the cost of
// appending to and copying a CBinaryData.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <korvel/binary_data.h>

#include "values/compression.h"
#include "values/utf.h"

using namespace Korvel;

namespace {

constexpr size_t kMiB = 1 << 20;

CBinaryData RandomData(size_t n) {
  std::mt19937 rng(42);
  std::vector<unsigned char> bytes(n);
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(rng());
  return CBinaryData(bytes.data(), static_cast<uint32_t>(n));
}

// Markup-like text; with nonAsciiPercent > 0 that share of the characters is
// accented Latin, Greek or CJK (two- and three-byte UTF-8).
std::wstring Text(size_t n, int nonAsciiPercent) {
  std::mt19937 rng(7);
  const wchar_t ascii[] = L"<item id=\"42\">Some text &amp; more</item>\n";
  const wchar_t other[] = L"\u00e9\u00fc\u03b1\u03c9\u4e2d\u6587";
  std::wstring text(n, L' ');
  for (size_t i = 0; i < n; ++i) {
    text[i] = static_cast<int>(rng() % 100) < nonAsciiPercent ? other[rng() % 6]
                                                              : ascii[i % (sizeof ascii / 4 - 1)];
  }
  return text;
}

// Reference: copying the same number of bytes.
void BM_Memcpy(benchmark::State& state) {
  std::vector<char> from(kMiB, 'x'), to(kMiB);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), kMiB);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kMiB);
}
BENCHMARK(BM_Memcpy);

// Base64 and hex: bytes per second of binary data.
void BM_Base64Encode(benchmark::State& state) {
  const CBinaryData data = RandomData(kMiB);
  for (auto _ : state) benchmark::DoNotOptimize(data.GetAsBase64());
  state.SetBytesProcessed(state.iterations() * kMiB);
}
BENCHMARK(BM_Base64Encode);

void BM_Base64Decode(benchmark::State& state) {
  const std::wstring text = RandomData(kMiB).GetAsBase64();
  CBinaryData out;
  for (auto _ : state) {
    out.SetAsBase64(text.c_str());
    benchmark::DoNotOptimize(out.GetData());
  }
  state.SetBytesProcessed(state.iterations() * kMiB);
}
BENCHMARK(BM_Base64Decode);

// Base64 as it arrives in documents: lines of 76 characters.
void BM_Base64DecodeLines(benchmark::State& state) {
  const std::wstring flat = RandomData(kMiB).GetAsBase64();
  std::wstring text;
  for (size_t i = 0; i < flat.size(); i += 76) text += flat.substr(i, 76) + L"\r\n";
  CBinaryData out;
  for (auto _ : state) {
    out.SetAsBase64(text.c_str());
    benchmark::DoNotOptimize(out.GetData());
  }
  state.SetBytesProcessed(state.iterations() * kMiB);
}
BENCHMARK(BM_Base64DecodeLines);

void BM_HexEncode(benchmark::State& state) {
  const CBinaryData data = RandomData(kMiB);
  for (auto _ : state) benchmark::DoNotOptimize(data.GetAsHexString());
  state.SetBytesProcessed(state.iterations() * kMiB);
}
BENCHMARK(BM_HexEncode);

void BM_HexDecode(benchmark::State& state) {
  const std::wstring text = RandomData(kMiB).GetAsHexString();
  CBinaryData out;
  for (auto _ : state) {
    out.SetAsHexString(text.c_str());
    benchmark::DoNotOptimize(out.GetData());
  }
  state.SetBytesProcessed(state.iterations() * kMiB);
}
BENCHMARK(BM_HexDecode);

// UTF conversions: bytes_per_second counts the text's UTF-8 bytes (its size as
// a document; the wide side is four bytes per character), chars_per_second
// its characters.
void SetTextCounters(benchmark::State& state, size_t utf8Bytes, size_t chars) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * utf8Bytes));
  state.counters["chars_per_second"] =
      benchmark::Counter(static_cast<double>(chars), benchmark::Counter::kIsIterationInvariantRate,
                         benchmark::Counter::kIs1024);
}

void BM_WideToUtf8(benchmark::State& state) {
  const std::wstring text = Text(kMiB, static_cast<int>(state.range(0)));
  std::string out;
  for (auto _ : state) {
    out.clear();
    detail::WideToUtf8(text, out);
    benchmark::DoNotOptimize(out.data());
  }
  SetTextCounters(state, out.size(), text.size());
}
BENCHMARK(BM_WideToUtf8)->Arg(0)->Arg(20)->ArgName("nonAsciiPercent");

void BM_Utf8ToWide(benchmark::State& state) {
  const std::string bytes = detail::WideToUtf8(Text(kMiB, static_cast<int>(state.range(0))));
  std::wstring out;
  for (auto _ : state) {
    out.clear();
    detail::Utf8ToWide(bytes, out);
    benchmark::DoNotOptimize(out.data());
  }
  SetTextCounters(state, bytes.size(), out.size());
}
BENCHMARK(BM_Utf8ToWide)->Arg(0)->Arg(20)->ArgName("nonAsciiPercent");

void BM_WideToUtf8Data(benchmark::State& state) {
  const std::wstring text = Text(kMiB, 0);
  for (auto _ : state) benchmark::DoNotOptimize(detail::WideToUtf8Data(text));
  state.SetBytesProcessed(state.iterations() * kMiB);
}
BENCHMARK(BM_WideToUtf8Data);

// Appending 16-byte chunks: the time per append must not grow with the count.
void BM_Append16(benchmark::State& state) {
  const auto appends = static_cast<size_t>(state.range(0));
  const unsigned char chunk[16] = {'<', 'a', '>', 'x', 'y', 'z', '<', '/', 'a', '>', '\n'};
  for (auto _ : state) {
    CBinaryData data;
    for (size_t i = 0; i < appends; ++i) data.Append(chunk, sizeof chunk);
    benchmark::DoNotOptimize(data.GetData());
  }
  // Seconds per append, printed with an SI prefix ("11n" is 11 ns).
  state.counters["time_per_append"] = benchmark::Counter(
      static_cast<double>(appends),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Append16)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Copying 1 MiB shares the record; the first write pays for the copy.
void BM_Copy1MiB(benchmark::State& state) {
  const CBinaryData data = RandomData(kMiB);
  for (auto _ : state) {
    CBinaryData copy = data;
    benchmark::DoNotOptimize(copy.GetData());
  }
}
BENCHMARK(BM_Copy1MiB);

void BM_Copy1MiBThenWrite(benchmark::State& state) {
  const CBinaryData data = RandomData(kMiB);
  for (auto _ : state) {
    CBinaryData copy = data;
    copy[0] = 1;
    benchmark::DoNotOptimize(copy.GetData());
  }
}
BENCHMARK(BM_Copy1MiBThenWrite);

void BM_GzipCompress(benchmark::State& state) {
  const CBinaryData text = detail::WideToUtf8Data(Text(kMiB, 0));
  for (auto _ : state) {
    CBinaryData data(text.GetData(), text.GetLength());
    detail::CompressData(data, ct_gzip);
    benchmark::DoNotOptimize(data.GetData());
  }
  state.SetBytesProcessed(state.iterations() * kMiB);
}
BENCHMARK(BM_GzipCompress);

void BM_GzipInflate(benchmark::State& state) {
  CBinaryData packed = detail::WideToUtf8Data(Text(kMiB, 0));
  detail::CompressData(packed, ct_gzip);
  for (auto _ : state) {
    CBinaryData out;
    detail::TryInflate(packed.GetData(), packed.GetLength(), out);
    benchmark::DoNotOptimize(out.GetData());
  }
  state.SetBytesProcessed(state.iterations() * kMiB);
}
BENCHMARK(BM_GzipInflate);

// Plain input offered to the decompressor, as every byte reader does.
void BM_InflateCheckOnPlainInput(benchmark::State& state) {
  const CBinaryData text = detail::WideToUtf8Data(Text(4096, 0));
  for (auto _ : state) {
    CBinaryData out;
    benchmark::DoNotOptimize(detail::TryInflate(text.GetData(), text.GetLength(), out));
  }
}
BENCHMARK(BM_InflateCheckOnPlainInput);

}  // namespace
