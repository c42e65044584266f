// SPDX-License-Identifier: MIT
// Helpers of the Fast Infoset tests: octets as hex text, documents written
// through a writer, and the tree a document loads as.
#pragma once

#include <cstdio>
#include <string>

#include <korvel/binary_data.h>
#include <korvel/fast_infoset_context.h>
#include <korvel/fast_infoset_writer.h>
#include <korvel/xml_document.h>

#include "tree_text.h"
#include "values/utf.h"
#include "vector_file.h"

namespace Korvel::testing {

// "E0 00 00 01"
inline std::string Hex(const unsigned char* data, size_t length) {
  std::string text;
  char octet[4];
  for (size_t i = 0; i < length; ++i) {
    std::snprintf(octet, sizeof octet, i ? " %02X" : "%02X", data[i]);
    text += octet;
  }
  return text;
}
inline std::string Hex(const CBinaryData& data) { return Hex(data.GetData(), data.GetLength()); }

inline CBinaryData Octets(const std::string& hex) {
  CBinaryData data;
  for (size_t i = 0; i + 1 < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    data.Append(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return data;
}

// Runs the rows of tests/data/fastinfoset/<name>.
inline void RunVectors(const std::string& name, const VectorOperations& operations) {
  RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/fastinfoset/" + name, operations);
}

inline std::wstring Wide(const std::string& utf8) { return detail::Utf8ToWide(utf8); }

// The document that body writes, after the header of decl.
template <class Body>
CBinaryData WriteFi(const CFastInfosetContext& options, Body body,
                    FInfoDecl decl = FInfoDecl_None) {
  CBinaryData out;
  CFastInfosetWriter writer(out, options);
  writer.WriteHeader(decl);
  body(writer);
  writer.Close();
  return out;
}

// The octets of a document written by calls "name|argument|...": start|name|ns,
// end, attr|name|ns|value, text|value, nil.
inline std::wstring WriteScript(const CFastInfosetContext& options, const VectorArgs& calls) {
  return Wide(Hex(WriteFi(options, [&](CFastInfosetWriter& w) {
    for (const std::wstring& call : calls) {
      const VectorArgs c = Split(call, L'|', 4);
      if (c[0] == L"start") w.StartElement(c[1], c[2]);
      if (c[0] == L"end") w.EndElement();
      if (c[0] == L"attr") w.WriteAttribute(c[1], c[2], c[3], it_string);
      if (c[0] == L"text") w.WriteText(c[1], it_string, false);
      if (c[0] == L"nil") w.WriteNil();
    }
  })));
}

inline std::wstring ReadTree(const CBinaryData& data) {
  CXmlDocument document;
  document.LoadXmlStream(data.GetData(), data.GetLength());
  return TreeText(document);
}

}  // namespace Korvel::testing
