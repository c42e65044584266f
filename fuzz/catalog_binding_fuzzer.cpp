// SPDX-License-Identifier: MIT
// The catalogue binding, which uses every kind of member description, reading
// hostile input: the bytes are read as XML (plain, compressed or Fast Infoset)
// or, when the first byte is '{', as JSON. Whatever reads must write as XML
// and as Fast Infoset, and each must read back to the same objects.
#include <cstdlib>
#include <string>

#include <korvel/binary_data.h>
#include <korvel/errors.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "canonical_tree.h"
#include "catalog.h"

namespace {

using namespace Korvel;
using Catalog::CCatalogType;

constexpr uint64_t kInflateLimit = 8 << 20;

// The objects' written text, canonical: what "the same objects" is judged by.
std::wstring Text(const CCatalogType& catalog, const CSerializationContext& context) {
  const CBinaryData bytes =
      catalog.ToXmlStream(true, false, XmlEncoding_UTF8, EOL_LF, context, ct_none);
  CXmlDocument document(context);
  document.LoadXmlStream(bytes.GetData(), bytes.GetLength());
  return Korvel::testing::CanonicalTree(document.GetDocumentElement());
}

// What was written reads back to the same objects; anything else is a fault
// of the writer or the reader.
void ReadsBack(const CBinaryData& written, const std::wstring& expected,
               const CSerializationContext& context) {
  CSmartPtr<CCatalogType> copy = new CCatalogType();
  try {
    copy->FromXmlStream(written, context);
  } catch (const CKvException&) {
    std::abort();
  }
  if (Text(*copy, context) != expected) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CSerializationContext context;
  context.SetMaxInflatedSize(kInflateLimit);
  CSmartPtr<CCatalogType> catalog = new CCatalogType();
  try {
    if (size > 0 && data[0] == '{') {
      catalog->FromJsonStream(data, size, context);
    } else {
      catalog->FromXmlStream(data, size, context);
    }
  } catch (const CKvException&) {
    return 0;
  }
  std::wstring expected;
  try {
    expected = Text(*catalog, context);
  } catch (const CKvException&) {
    // Objects that read but do not write: the reader let through what the
    // writer checks.
    std::abort();
  }
  ReadsBack(catalog->ToXmlStream(true, true, XmlEncoding_UTF8, EOL_LF, context, ct_none), expected,
            context);
  ReadsBack(catalog->ToFastInfosetStream(FInfoDecl_None, context, ct_none), expected, context);
  return 0;
}
