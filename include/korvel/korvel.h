// SPDX-License-Identifier: MIT
// Umbrella header: every public header of the library.
#pragma once

#include <korvel/export.h>
#include <korvel/fwd.h>

#include <korvel/binary_data.h>
#include <korvel/critical_section.h>
#include <korvel/errors.h>
#include <korvel/fast_infoset_context.h>
#include <korvel/fi_vocabulary.h>
#include <korvel/instance_monitor.h>
#include <korvel/json_context.h>
#include <korvel/namespace_alias_map.h>
#include <korvel/serialization_context.h>
#include <korvel/smart_ptr.h>
#include <korvel/system_time.h>
#include <korvel/xml_document.h>
#include <korvel/xml_encoding.h>
