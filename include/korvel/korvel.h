// SPDX-License-Identifier: MIT
// Umbrella header: every public header of the library.
#pragma once

#include <korvel/export.h>
#include <korvel/fwd.h>

#include <korvel/binary_data.h>
#include <korvel/critical_section.h>
#include <korvel/errors.h>
#include <korvel/instance_monitor.h>
#include <korvel/smart_ptr.h>
#include <korvel/system_time.h>
#include <korvel/xml_encoding.h>
