// SPDX-License-Identifier: MIT
// A progress bar on standard error for work on large inputs.
#pragma once

#include <cstdint>

namespace korvel_cli {

// Draws "label [=====     ]  42%" on standard error while work advances, and
// erases it when done. Nothing is drawn for small inputs, when standard error
// is not a terminal, or when quiet.
class Progress {
 public:
  // Below this input size the work ends before a bar would be worth reading.
  static constexpr uint64_t kThreshold = 4u << 20;

  Progress(const char* label, uint64_t total, uint64_t inputSize, bool quiet);
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  ~Progress();

  bool Enabled() const noexcept { return m_enabled; }
  // done out of the total given at construction.
  void Update(uint64_t done) {
    if (m_enabled && done >= m_nextDraw) Draw(done);
  }

 private:
  void Draw(uint64_t done);

  const char* m_label;
  uint64_t m_total;
  uint64_t m_nextDraw = 0;
  bool m_enabled;
  bool m_drawn = false;
};

}  // namespace korvel_cli
