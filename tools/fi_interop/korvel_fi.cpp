// SPDX-License-Identifier: MIT
// korvel_fi: converts between XML text and Fast Infoset through the public API,
// so that another implementation can check the documents both ways.
//
//   korvel_fi encode in.xml out.fi [--typed e:LOCAL=KIND,a:LOCAL=KIND,...] [--vocab-uri URI]
//   korvel_fi decode in.fi out.xml        (in.fi may be gzip or zlib compressed)
//
// KIND: hex base64 short int long boolean float double uuid cdata alpha1 alpha2.
// Typed values use the suggested encodings. Whitespace-only text beside child
// elements is left out; other text is written before the element's children.
// --vocab-uri announces an (empty) generated vocabulary under that URI.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

#include <korvel/binary_data.h>
#include <korvel/errors.h>
#include <korvel/fast_infoset_context.h>
#include <korvel/fast_infoset_writer.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>
#include <korvel/xml_text_writer.h>

namespace {

using namespace Korvel;
using Encoding = CFastInfosetContext::EncodedCharacterString;

struct Types {
  std::map<std::wstring, ItemType> elements;
  std::map<std::wstring, ItemType> attributes;
};

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Kinds without an item type of their own borrow one whose encoding is set here.
ItemType KindToType(const std::string& kind, CFastInfosetContext& options) {
  static const std::map<std::string, ItemType> kinds = {
      {"hex", it_hexBinary},  {"base64", it_base64Binary}, {"short", it_i2}, {"int", it_i4},
      {"long", it_i8},        {"boolean", it_boolean},     {"float", it_r4}, {"double", it_r8},
      {"alpha1", it_decimal}, {"alpha2", it_datetime}};
  if (kind == "uuid") {
    options.SetEncoding(it_char, Encoding{Encoding::KIND_ENCODING_ALGORITHM, 9});
    return it_char;
  }
  if (kind == "cdata") {
    options.SetEncoding(it_none, Encoding{Encoding::KIND_ENCODING_ALGORITHM, 10});
    return it_none;
  }
  const auto found = kinds.find(kind);
  if (found == kinds.end()) throw std::runtime_error("unknown kind " + kind);
  return found->second;
}

Types ParseTypes(const std::string& rules, CFastInfosetContext& options) {
  Types types;
  size_t start = 0;
  while (start < rules.size()) {
    size_t end = rules.find(',', start);
    if (end == std::string::npos) end = rules.size();
    const std::string rule = rules.substr(start, end - start);
    const size_t equals = rule.find('=');
    if (rule.size() < 3 || rule[1] != ':' || equals == std::string::npos) {
      throw std::runtime_error("bad rule " + rule);
    }
    const std::wstring local = Widen(rule.substr(2, equals - 2));
    const ItemType type = KindToType(rule.substr(equals + 1), options);
    (rule[0] == 'a' ? types.attributes : types.elements)[local] = type;
    start = end + 1;
  }
  return types;
}

ItemType TypeOf(const std::map<std::wstring, ItemType>& types, const std::wstring& local) {
  const auto found = types.find(local);
  return found == types.end() ? it_string : found->second;
}

bool IsLayout(const std::wstring& text) {
  return text.find_first_not_of(L" \t\r\n") == std::wstring::npos;
}

void WriteElement(const CXmlElement& element, CXmlWriter& writer, const Types& types) {
  writer.StartElement(element.GetLocalName(), element.GetNamespaceURI());
  for (const CXmlAttribute* attribute : element.GetAttributes()) {
    writer.WriteAttribute(attribute->GetLocalName(), attribute->GetNamespaceURI(),
                          attribute->GetValue(),
                          TypeOf(types.attributes, attribute->GetLocalName()));
  }
  const std::wstring& text = element.GetText();
  if (!text.empty() && !(element.GetFirstElement() && IsLayout(text))) {
    writer.WriteText(text, TypeOf(types.elements, element.GetLocalName()), false);
  }
  for (const CXmlElement* child = element.GetFirstElement(); child;
       child = child->GetNextSiblingElement()) {
    WriteElement(*child, writer, types);
  }
  writer.EndElement();
}

void WriteFile(const char* path, const unsigned char* data, size_t length) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(length));
  if (!out) throw std::runtime_error(std::string("cannot write ") + path);
}

int Encode(const char* in, const char* out, const std::string& rules,
           const std::string& vocabularyUri) {
  CFastInfosetContext options;
  options.SetSuggestedValues();
  if (!vocabularyUri.empty()) {
    options.SetUseGeneratedVocabulary(true);
    options.SetExternalVocabularyURI(Widen(vocabularyUri));
  }
  const Types types = ParseTypes(rules, options);
  CXmlDocument document;
  document.Load(Widen(in).c_str());
  CBinaryData octets;
  CFastInfosetWriter writer(octets, options);
  writer.WriteHeader(FInfoDecl_None);
  WriteElement(*document.GetDocumentElement(), writer, types);
  writer.Close();
  WriteFile(out, octets.GetData(), octets.GetLength());
  return 0;
}

int Decode(const char* in, const char* out) {
  CXmlDocument document;
  document.Load(Widen(in).c_str());
  CTextStream stream(XmlEncoding_UTF8);
  CXmlTextWriter writer(stream);
  writer.SetFormatted(false);
  writer.Open();
  WriteElement(*document.GetDocumentElement(), writer, Types());
  writer.Close();
  const CBinaryData bytes = stream.GetBytes();
  WriteFile(out, bytes.GetData(), bytes.GetLength());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 4 && std::strcmp(argv[1], "decode") == 0) return Decode(argv[2], argv[3]);
    if (argc >= 4 && argc % 2 == 0 && std::strcmp(argv[1], "encode") == 0) {
      std::string rules;
      std::string vocabularyUri;
      bool known = true;
      for (int i = 4; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--typed") == 0) {
          rules = argv[i + 1];
        } else if (std::strcmp(argv[i], "--vocab-uri") == 0) {
          vocabularyUri = argv[i + 1];
        } else {
          known = false;
        }
      }
      if (known) return Encode(argv[2], argv[3], rules, vocabularyUri);
    }
    std::fprintf(stderr,
                 "usage: korvel_fi encode in.xml out.fi [--typed RULES] [--vocab-uri URI] | "
                 "decode in.fi out.xml\n");
    return 2;
  } catch (const CKvException& e) {
    std::wcerr << L"korvel_fi: " << e.GetMessageW() << L"\n";
  } catch (const std::exception& e) {
    std::cerr << "korvel_fi: " << e.what() << "\n";
  }
  return 1;
}
