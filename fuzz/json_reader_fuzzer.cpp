// SPDX-License-Identifier: MIT
// The JSON reader and its mapping to XML: arbitrary bytes (plain, compressed,
// UTF-8 or UTF-16) either convert or fail with the library's own exception.
// What converts and loads as XML is written back as JSON at the same level,
// which must read back in its turn; at the round-trip levels to the same
// names, attributes, nils and leaf texts, through the XML text and straight
// into a tree alike.
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include <korvel/errors.h>
#include <korvel/json_text_writer.h>
#include <korvel/serialization_context.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>

#include "fuzz_support.h"
#include "json/json_to_xml.h"
#include "xml/text_element.h"

namespace {

using namespace Korvel;

bool SameName(const CXmlElement* a, const CXmlElement* b) {
  return b && a->GetLocalName() == b->GetLocalName() &&
         a->GetNamespaceURI() == b->GetNamespaceURI();
}

bool IsNil(const CXmlElement& e) {
  for (const CXmlAttribute* a : e.GetAttributes()) {
    if (a->IsNilAttribute()) return a->GetValue() == L"true" || a->GetValue() == L"1";
  }
  return false;
}

// The attributes a round trip keeps: all but namespace declarations and the
// nil, by local name (the partial level drops namespaces).
std::wstring Attributes(const CXmlElement& e) {
  std::wstring out;
  for (const CXmlAttribute* a : e.GetAttributes()) {
    if (a->IsNamespaceAttribute() || a->IsNilAttribute()) continue;
    out.append(a->GetLocalName()).append(1, L'=').append(a->GetValue()).append(1, L'\0');
  }
  return out;
}

// Walks both trees side by side, without recursion: the same local names,
// attributes and, for elements without children, the same text and nil (a
// nil element with text is written as its text).
void ExpectSameTree(const CXmlElement* a, const CXmlElement* b) {
  std::vector<std::pair<const CXmlElement*, const CXmlElement*>> pending{{a, b}};
  while (!pending.empty()) {
    auto [x, y] = pending.back();
    pending.pop_back();
    if (x->GetLocalName() != y->GetLocalName() || Attributes(*x) != Attributes(*y)) std::abort();
    const CXmlElement* cx = x->GetFirstElement();
    const CXmlElement* cy = y->GetFirstElement();
    if (!cx) {
      if (cy || x->GetText() != y->GetText()) std::abort();
      if (x->GetText().empty() && IsNil(*x) != IsNil(*y)) std::abort();
    }
    for (; cx && cy; cx = cx->GetNextSiblingElement(), cy = cy->GetNextSiblingElement()) {
      pending.emplace_back(cx, cy);
    }
    if (cx || cy) std::abort();
  }
}

// Writes the tree the way the serializer does, without recursion: runs of
// same-named siblings become collections; elements holding only text go in
// one step when oneStep says so.
void WriteTree(CJsonTextWriter& writer, const CXmlElement* root, bool oneStep) {
  const CXmlElement* e = root;
  for (;;) {
    CXmlWriter::CXmlWriterContext* parent = writer.GetCurrentElement();
    if (parent && parent->GetWriterState() != CJsonTextWriter::ARRAY_OPEN &&
        SameName(e, e->GetNextSiblingElement())) {
      parent->SetWriterState(CJsonTextWriter::ARRAY_PENDING);
    }
    bool ended =
        oneStep && !e->GetFirstElement() && e->GetAttributes().empty() && !e->GetText().empty();
    if (ended) {
      detail::WriteTextElement(writer, e->GetLocalName(), e->GetNamespaceURI(), e->GetText(),
                               it_string, false);
    }
    if (!ended) {
      writer.StartElement(e->GetLocalName(), e->GetNamespaceURI());
      for (const CXmlAttribute* a : e->GetAttributes()) {
        if (a->IsNilAttribute()) {
          if (IsNil(*e)) writer.WriteNil();
        } else if (!a->IsNamespaceAttribute()) {
          writer.WriteAttribute(a->GetLocalName(), a->GetNamespaceURI(), a->GetValue(), it_string);
        }
      }
      if (e->GetFirstElement()) {
        e = e->GetFirstElement();
        continue;
      }
      if (!e->GetText().empty()) writer.WriteText(e->GetText(), it_string, false);
    }
    for (;;) {
      if (!ended) writer.EndElement();
      ended = false;
      if (e == root) return;
      parent = writer.GetCurrentElement();
      if (!SameName(e, e->GetNextSiblingElement()) &&
          parent->GetWriterState() == CJsonTextWriter::ARRAY_OPEN) {
        parent->SetWriterState(CJsonTextWriter::ARRAY_FINISHED);
      }
      if (e->GetNextSiblingElement()) {
        e = e->GetNextSiblingElement();
        break;
      }
      e = e->GetParentElm();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the options, the rest is the input.
  const uint8_t options = data[0];
  ++data;
  --size;
  CSerializationContext context;
  const auto level = static_cast<JsonRoundTrip>(options % 3);
  context.GetJsonContext().SetSupportRoundtrip(level);
  context.GetJsonContext().GetAllowComments((options & 4) != 0);
  if (options & 8) context.GetJsonContext().SetRootElementName(L"root");
  CXmlDocument document(context);
  CBinaryData xml;
  try {
    if (options & 16) {
      xml = document.LoadJson(fuzz::BytesToWide(data, size).c_str());
    } else {
      xml = document.LoadJsonStream(data, static_cast<uint32_t>(size));
    }
    document.LoadXmlStream(xml.GetData(), xml.GetLength());
  } catch (const CKvException&) {
    return 0;
  }
  if (!document.GetDocumentElement()) return 0;
  CTextStream stream;
  CJsonTextWriter writer(stream);
  writer.SetSupportRoundtrip(level);
  writer.SetFormatted((options & 32) != 0);
  writer.WriteDocumentStart();
  WriteTree(writer, document.GetDocumentElement(), (options & 64) != 0);
  writer.WriteDocumentEnd();
  writer.Close();
  // The writer's output must read back.
  CXmlDocument again(context);
  context.GetJsonContext().SetRootElementName(nullptr);
  const CBinaryData back = again.LoadJson(stream.GetAllText().c_str());
  again.LoadXmlStream(back.GetData(), back.GetLength());
  if (level != JsonRoundTrip_None) {
    ExpectSameTree(document.GetDocumentElement(), again.GetDocumentElement());
    // Objects read JSON straight into a tree, which must match the text path.
    CXmlDocument tree(context);
    detail::LoadJsonTree(tree, stream.GetAllText(), context.GetJsonContext());
    ExpectSameTree(again.GetDocumentElement(), tree.GetDocumentElement());
  }
  return 0;
}
