// SPDX-License-Identifier: MIT
// Randomness from the system, for keys that inputs must not be able to guess.
#pragma once

#include <cstdint>

namespace Korvel::detail::platform {

// A secret drawn once per process from the system's entropy source (never
// zero, never changing afterwards): the key of parsers' hash tables, so that
// no document can be built to make its names collide. Drawing it once spares
// each parse a system call.
uint64_t ProcessSecret() noexcept;

}  // namespace Korvel::detail::platform
