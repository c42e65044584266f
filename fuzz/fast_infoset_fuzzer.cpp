// SPDX-License-Identifier: MIT
// The Fast Infoset reader: arbitrary bytes after the identification either load
// or fail with the library's own exception. The reading context knows a
// generated vocabulary under the default URI, so that documents announcing it
// reach the vocabulary tables too.
#include <cstring>
#include <vector>

#include <korvel/errors.h>
#include <korvel/fast_infoset_context.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Korvel;
  static const CSerializationContext* context = [] {
    auto* c = new CSerializationContext();
    CFastInfosetContext& options = c->GetFIContext();
    options.SetUseGeneratedVocabulary(true);
    options.GetVocabulary()->AddElement(L"p", L"urn:n", L"e");
    options.GetVocabulary()->AddAttribute(L"", L"", L"a");
    options.GetVocabulary()->AddElementValue(L"v");
    return c;
  }();
  static const uint8_t kIdentification[] = {0xE0, 0x00, 0x00, 0x01};
  std::vector<uint8_t> bytes(kIdentification, kIdentification + sizeof kIdentification);
  // Seeds carry the identification themselves; anything else gets it.
  if (size >= 4 && std::memcmp(data, kIdentification, 4) == 0) bytes.clear();
  bytes.insert(bytes.end(), data, data + size);
  try {
    CXmlDocument document(*context);
    document.LoadXmlStream(bytes.data(), static_cast<uint32_t>(bytes.size()));
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
