// SPDX-License-Identifier: MIT
// Reads schema files into a SchemaSet, following xs:include and xs:import.
#pragma once

#include <string>

#include "schema_model.h"

namespace KorvelXsd {

// Reads path and every schema it includes or imports (each file once, so
// schemas may import each other). Throws Refusal for constructs the model does
// not hold and for malformed schemas.
void ReadSchemas(const std::string& path, SchemaSet& set);

}  // namespace KorvelXsd
