// SPDX-License-Identifier: MIT
// Umbrella header: every public header of the library.
#pragma once

#include <korvel/export.h>
#include <korvel/fwd.h>

#include <korvel/big_integer.h>
#include <korvel/critical_section.h>
#include <korvel/decimal.h>
#include <korvel/errors.h>
#include <korvel/instance_monitor.h>
#include <korvel/smart_ptr.h>
#include <korvel/system_time.h>
