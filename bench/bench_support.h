// SPDX-License-Identifier: MIT
// What the document-sized benchmarks share: thread CPU time, resident memory
// from /proc, and the expat reference every reader is measured against.
#pragma once

#include <benchmark/benchmark.h>
#include <expat.h>
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

#include <korvel/xml_document.h>

namespace KorvelBench {

// Thread CPU time: the machine is shared, so wall time says more about the
// neighbours than about the code.
inline double CpuSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// A field of /proc/self/status in kilobytes ("VmRSS:", "VmHWM:").
inline size_t StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stoul(line.substr(std::strlen(field)));
  }
  return 0;
}
inline size_t ResidentBytes() { return StatusKilobytes("VmRSS:") * 1024; }
inline size_t PeakResidentBytes() { return StatusKilobytes("VmHWM:") * 1024; }
// Starts the peak (VmHWM) over from the present resident size.
inline void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Gives freed memory back and starts the peak over; the resident kilobytes
// to measure the peak from.
inline size_t StartPeak() {
  malloc_trim(0);
  ResetPeak();
  return StatusKilobytes("VmRSS:");
}
// The peak's growth since StartPeak, per byte of input.
inline double PeakPerInputByte(size_t startKilobytes, size_t inputBytes) {
  return static_cast<double>(StatusKilobytes("VmHWM:") - startKilobytes) * 1024 /
         static_cast<double>(inputBytes);
}

// The pieces the library's reader feeds expat.
constexpr size_t kFeedSize = 256 * 1024;

// The reference: expat with namespace processing and empty callbacks, fed as
// the reader feeds it. False when the document is not well-formed.
inline bool ParseWithEmptyCallbacks(const std::string& xml) {
  XML_Parser parser = XML_ParserCreateNS(nullptr, '|');
  XML_SetElementHandler(
      parser, [](void*, const XML_Char*, const XML_Char**) {}, [](void*, const XML_Char*) {});
  XML_SetCharacterDataHandler(parser, [](void*, const XML_Char*, int) {});
  XML_SetStartNamespaceDeclHandler(parser, [](void*, const XML_Char*, const XML_Char*) {});
  bool ok = true;
  for (size_t offset = 0; ok && offset < xml.size();) {
    const size_t piece = std::min(kFeedSize, xml.size() - offset);
    std::memcpy(XML_GetBuffer(parser, static_cast<int>(piece)), xml.data() + offset, piece);
    offset += piece;
    ok = XML_ParseBuffer(parser, static_cast<int>(piece), offset == xml.size()) == XML_STATUS_OK;
  }
  XML_ParserFree(parser);
  return ok;
}

// Reads of one document as a program that reads on sees them. The first read
// after StartPeak faults in the memory the later ones reuse (a page fault
// costs about 10 us on this virtual machine: half a second for the 50 MB
// catalogue), so it is timed apart, as first_vs_expat; vs_expat is the reads
// after it. read() reads once and returns its CPU seconds; settle() frees
// what it made, untimed. Returns the seconds of the timed reads.
template <class Read, class Settle>
double MeasureReads(benchmark::State& state, size_t inputBytes, double expatBytesPerSecond,
                    Read read, Settle settle) {
  const size_t start = StartPeak();
  const double first = read();
  settle();
  double seconds = 0;
  for (auto _ : state) {
    seconds += read();
    state.PauseTiming();
    settle();
    state.ResumeTiming();
  }
  const auto bytes = static_cast<double>(inputBytes);
  if (expatBytesPerSecond > 0) {
    state.counters["vs_expat"] =
        bytes * static_cast<double>(state.iterations()) / seconds / expatBytesPerSecond;
    state.counters["first_vs_expat"] = bytes / first / expatBytesPerSecond;
  }
  state.counters["peak_per_input_byte"] = PeakPerInputByte(start, inputBytes);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * inputBytes));
  return seconds;
}

// The document's share of a read: load and destroy it, binding nothing.
inline void MeasureLoadOnly(benchmark::State& state, const std::string& xml,
                            double expatBytesPerSecond) {
  const auto load = [&xml] {
    const double begin = CpuSeconds();
    {
      Korvel::CXmlDocument document;
      document.LoadXmlStream(reinterpret_cast<const unsigned char*>(xml.data()), xml.size());
    }
    return CpuSeconds() - begin;
  };
  MeasureReads(state, xml.size(), expatBytesPerSecond, load, [] {});
}

}  // namespace KorvelBench
