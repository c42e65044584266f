// SPDX-License-Identifier: MIT
// Symbol visibility for the shared library: everything is hidden unless marked.
#pragma once

#define KORVEL_API __attribute__((visibility("default")))
