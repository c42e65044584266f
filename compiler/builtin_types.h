// SPDX-License-Identifier: MIT
// The XSD built-in simple types: the item kind, whitespace rule, C++ type and
// implied bounds each maps to.
#pragma once

#include <string>

namespace KorvelXsd {

struct BuiltinType {
  const wchar_t* name;       // local name in the XSD namespace
  const char* itemType;      // ItemType enumerator
  const char* whitespace;    // WhitespaceRule enumerator; preserve types use ws_none
  const char* cppType;       // type of the generated field
  const char* variant;       // KvVariant Set/Get suffix
  const char* header;        // public header the C++ type needs, or null
  const wchar_t* minInclusive;  // bounds implied by the type itself, or null
  const wchar_t* maxInclusive;
};

// Null for a name that is no built-in type.
const BuiltinType* FindBuiltin(const std::wstring& localName);

extern const wchar_t* const kXsdNamespaceUri;

}  // namespace KorvelXsd
