// SPDX-License-Identifier: MIT
// The process secret over getrandom, with a fallback for systems without it.
#include "platform/random.h"

#include <sys/random.h>
#include <time.h>

#include <cerrno>

namespace Korvel::detail::platform {

namespace {

// splitmix64's finaliser: spreads the fallback's few varying bits over all 64.
uint64_t Mix(uint64_t x) noexcept {
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
  return x ^ (x >> 31);
}

uint64_t DrawSecret() noexcept {
  uint64_t secret = 0;
  auto* bytes = reinterpret_cast<unsigned char*>(&secret);
  size_t have = 0;
  while (have < sizeof secret) {
    const ssize_t got = ::getrandom(bytes + have, sizeof secret - have, 0);
    if (got > 0) {
      have += static_cast<size_t>(got);
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  if (have < sizeof secret) {
    // No entropy source: the clock and where the loader put this code still
    // differ from run to run.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    secret = Mix(static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 32) ^
                 reinterpret_cast<uintptr_t>(&DrawSecret));
  }
  return secret != 0 ? secret : 1;
}

}  // namespace

uint64_t ProcessSecret() noexcept {
  static const uint64_t secret = DrawSecret();
  return secret;
}

}  // namespace Korvel::detail::platform
