// SPDX-License-Identifier: MIT
// The byte path of the document loader: arbitrary bytes (plain, compressed or
// in any encoding) either load or fail with the library's own exception; a
// loaded tree must answer XPath queries for every node.
#include <korvel/errors.h>
#include <korvel/xml_document.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Korvel;
  try {
    CXmlDocument document;
    document.LoadXmlStream(data, static_cast<uint32_t>(size));
    // Depth-first walk without recursion: documents may be deeply nested.
    for (const CXmlElement* e = document.GetDocumentElement(); e;) {
      e->GetXPath();
      for (const CXmlAttribute* a : e->GetAttributes()) a->GetXPath();
      if (e->GetFirstElement()) {
        e = e->GetFirstElement();
        continue;
      }
      while (e && !e->GetNextSiblingElement()) e = e->GetParentElm();
      if (e) e = e->GetNextSiblingElement();
    }
  } catch (const CKvException&) {
  }
  return 0;
}
