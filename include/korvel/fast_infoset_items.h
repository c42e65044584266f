// SPDX-License-Identifier: MIT
// IFastInfosetItemSink and ReadFastInfosetItems: the items of a Fast Infoset
// document one by one, with how each name and value was coded, for tools that
// show a document's vocabulary use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <korvel/export.h>
#include <korvel/fwd.h>

namespace Korvel {

// How a name or a value reached the document.
enum FiCoding : int32_t {
  FiCoding_Literal = 0,  // written out and not entered in a table (index 0)
  FiCoding_Added = 1,    // written out and entered in its table at the index given
  FiCoding_Indexed = 2,  // the index of an earlier entry of its table
};

// Receives the items in document order. A namespace declaration of an element
// comes just before the element's start; the items that carry no part of the
// element tree (comments, processing instructions, ...) are not reported.
class KORVEL_API IFastInfosetItemSink {
 public:
  virtual ~IFastInfosetItemSink();

  virtual void OnNamespace(const std::wstring& prefix, const std::wstring& namespaceUri) = 0;
  // Names index the element- and attribute-name tables; values the
  // attribute-value and character-chunk tables.
  virtual void OnElementStart(const std::wstring& namespaceUri, const std::wstring& localName,
                              FiCoding coding, uint32_t index) = 0;
  virtual void OnAttribute(const std::wstring& namespaceUri, const std::wstring& localName,
                           FiCoding nameCoding, uint32_t nameIndex, const std::wstring& value,
                           FiCoding valueCoding, uint32_t valueIndex) = 0;
  virtual void OnCharacters(const std::wstring& text, FiCoding coding, uint32_t index) = 0;
  virtual void OnElementEnd() = 0;
};

// Reads a Fast Infoset document (possibly gzip or zlib compressed) as loading
// would, with the given options, reporting its items to sink. Throws the
// loader's CKvException for a malformed document, and "Failed to parse
// FastInfoset. The data is not a Fast Infoset document." when the bytes do not
// start like one.
KORVEL_API void ReadFastInfosetItems(const unsigned char* data, size_t length,
                                     const CFastInfosetContext& options,
                                     IFastInfosetItemSink& sink);

}  // namespace Korvel
