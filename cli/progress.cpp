// SPDX-License-Identifier: MIT
// The progress bar: redrawn once per percent, so that it costs nothing measurable.
#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace korvel_cli {

Progress::Progress(const char* label, uint64_t total, uint64_t inputSize, bool quiet)
    : m_label(label),
      m_total(total),
      m_enabled(!quiet && total > 0 && inputSize >= kThreshold && ::isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() {
  if (m_drawn) std::fputs("\r\033[K", stderr);
}

void Progress::Draw(uint64_t done) {
  constexpr int kWidth = 40;
  const uint64_t percent = done >= m_total ? 100 : done * 100 / m_total;
  const int filled = static_cast<int>(percent * kWidth / 100);
  std::fprintf(stderr, "\r%-8s [%.*s%*s] %3u%%", m_label, filled,
               "========================================", kWidth - filled, "",
               static_cast<unsigned>(percent));
  std::fflush(stderr);
  m_drawn = true;
  m_nextDraw = (percent + 1) * m_total / 100;
}

}  // namespace korvel_cli
