// SPDX-License-Identifier: MIT
// Turns a schema model into the binding's C++ header and source.
#pragma once

#include <string>
#include <vector>

#include "schema_model.h"

namespace KorvelXsd {

struct EmitOptions {
  std::string cppNamespace;  // namespace of the first schema's classes
  std::string baseName;      // its files are baseName.h and baseName.cpp
};

struct GeneratedCode {
  std::string header;
  std::string source;
};

struct GeneratedFile {
  std::string name;
  std::string text;
};

// A header and a source per target namespace, the first schema's first; its
// source includes the other sources. Throws Refusal for the first construct
// the binding cannot express.
std::vector<GeneratedFile> Emit(const SchemaSet& set, const EmitOptions& options);

}  // namespace KorvelXsd
