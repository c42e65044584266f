// SPDX-License-Identifier: MIT
// What the document-sized benchmarks share: thread CPU time, resident memory
// from /proc, and the expat reference every reader is measured against.
#pragma once

#include <expat.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

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

// The pieces the library's reader feeds expat.
constexpr size_t kFeedSize = 256 * 1024;

// The reference: expat with namespace processing and empty callbacks, fed as
// the reader feeds it. False when the document is not well-formed.
inline bool ParseWithEmptyCallbacks(const std::string& xml) {
  XML_Parser parser = XML_ParserCreateNS(nullptr, '|');
  XML_SetElementHandler(parser, [](void*, const XML_Char*, const XML_Char**) {},
                        [](void*, const XML_Char*) {});
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

}  // namespace KorvelBench
