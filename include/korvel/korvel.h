// SPDX-License-Identifier: MIT
// Umbrella header: every public header of the library.
#pragma once

#include <korvel/export.h>
#include <korvel/fwd.h>

#include <korvel/big_integer.h>
#include <korvel/binary_data.h>
#include <korvel/class_factory.h>
#include <korvel/collection.h>
#include <korvel/conversions.h>
#include <korvel/critical_section.h>
#include <korvel/date_time.h>
#include <korvel/date_time_span.h>
#include <korvel/decimal.h>
#include <korvel/digit_vector.h>
#include <korvel/element_infos.h>
#include <korvel/errors.h>
#include <korvel/fast_infoset_binary_data.h>
#include <korvel/fast_infoset_context.h>
#include <korvel/fast_infoset_items.h>
#include <korvel/fast_infoset_writer.h>
#include <korvel/fi_declaration.h>
#include <korvel/fi_vocabulary.h>
#include <korvel/generated_class.h>
#include <korvel/instance_monitor.h>
#include <korvel/item_type.h>
#include <korvel/json_context.h>
#include <korvel/metadata.h>
#include <korvel/json_text_writer.h>
#include <korvel/namespace_alias_map.h>
#include <korvel/object_base.h>
#include <korvel/primitive_restrictions.h>
#include <korvel/serialization_context.h>
#include <korvel/smart_ptr.h>
#include <korvel/system_time.h>
#include <korvel/text_stream.h>
#include <korvel/untyped.h>
#include <korvel/typed_collections.h>
#include <korvel/variant.h>
#include <korvel/whitespace_utils.h>
#include <korvel/xml_document.h>
#include <korvel/xml_encoding.h>
#include <korvel/xml_text_writer.h>
#include <korvel/xml_writer.h>
