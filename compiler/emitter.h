// SPDX-License-Identifier: MIT
// Turns a schema model into the binding's C++ header and source.
#pragma once

#include <string>

#include "schema_model.h"

namespace KorvelXsd {

struct EmitOptions {
  std::string cppNamespace;  // namespace of the generated classes
  std::string headerName;    // file name the source includes, such as "po.h"
};

struct GeneratedCode {
  std::string header;
  std::string source;
};

// Throws Refusal for the first construct the binding cannot express.
GeneratedCode Emit(const SchemaSet& set, const EmitOptions& options);

}  // namespace KorvelXsd
