// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include <korvel/big_integer.h>
#include <korvel/decimal.h>

namespace {

using Korvel::CBigInteger;
using Korvel::CDecimal;

// A typical price: the hot path of documents that carry amounts.
void BM_DecimalParsePrice(benchmark::State& state) {
  const std::wstring text = L"148.95";
  for (auto _ : state) benchmark::DoNotOptimize(CDecimal(text));
}
BENCHMARK(BM_DecimalParsePrice);

void BM_DecimalPrintPrice(benchmark::State& state) {
  const CDecimal price(L"148.95");
  for (auto _ : state) benchmark::DoNotOptimize(price.ToString());
}
BENCHMARK(BM_DecimalPrintPrice);

void BM_DecimalPrintPriceTwoPlaces(benchmark::State& state) {
  const CDecimal price(L"148.95");
  for (auto _ : state) benchmark::DoNotOptimize(price.ToString(2));
}
BENCHMARK(BM_DecimalPrintPriceTwoPlaces);

// References in the same run: the C library reading and printing a double.
void BM_ReferenceWcstodPrice(benchmark::State& state) {
  const std::wstring text = L"148.95";
  for (auto _ : state) benchmark::DoNotOptimize(std::wcstod(text.c_str(), nullptr));
}
BENCHMARK(BM_ReferenceWcstodPrice);

void BM_ReferenceSwprintfPrice(benchmark::State& state) {
  double value = 148.95;
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    wchar_t buffer[32];
    std::swprintf(buffer, 32, L"%.2f", value);
    benchmark::DoNotOptimize(std::wstring(buffer));
  }
}
BENCHMARK(BM_ReferenceSwprintfPrice);

// 1/3 to the default 30 places: a 33-digit quotient by a short divisor.
void BM_DecimalOneThird(benchmark::State& state) {
  const CDecimal one(1);
  const CDecimal three(3);
  for (auto _ : state) benchmark::DoNotOptimize(one / three);
}
BENCHMARK(BM_DecimalOneThird);

// Two 40-digit values (20 integer and 20 fraction digits), product rounded to
// 30 places.
void BM_DecimalProduct40Digits(benchmark::State& state) {
  const CDecimal a(L"12345678901234567890.12345678901234567890");
  const CDecimal b(L"98765432109876543210.98765432109876543210");
  for (auto _ : state) benchmark::DoNotOptimize(a * b);
}
BENCHMARK(BM_DecimalProduct40Digits);

void BM_BigIntegerProduct40Digits(benchmark::State& state) {
  const CBigInteger a(L"1234567890123456789012345678901234567890");
  const CBigInteger b(L"9876543210987654321098765432109876543210");
  for (auto _ : state) benchmark::DoNotOptimize(a * b);
}
BENCHMARK(BM_BigIntegerProduct40Digits);

// An 80-digit dividend by a 40-digit divisor: the long-division path.
void BM_BigIntegerQuotient80By40Digits(benchmark::State& state) {
  const CBigInteger a = CBigInteger(L"1234567890123456789012345678901234567890") *
                        CBigInteger(L"9876543210987654321098765432109876543211");
  const CBigInteger b(L"9876543210987654321098765432109876543210");
  for (auto _ : state) benchmark::DoNotOptimize(a / b);
}
BENCHMARK(BM_BigIntegerQuotient80By40Digits);

void BM_DecimalSumPrices(benchmark::State& state) {
  const CDecimal a(L"148.95");
  const CDecimal b(L"0.05");
  for (auto _ : state) benchmark::DoNotOptimize(a + b);
}
BENCHMARK(BM_DecimalSumPrices);

void BM_DecimalComparePrices(benchmark::State& state) {
  const CDecimal a(L"148.95");
  const CDecimal b(L"148.9");
  for (auto _ : state) benchmark::DoNotOptimize(a < b);
}
BENCHMARK(BM_DecimalComparePrices);

}  // namespace
