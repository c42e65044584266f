// SPDX-License-Identifier: MIT
// ReadFastInfosetItems: the reader run with an item sink beside its tree.
#include <korvel/fast_infoset_items.h>

#include <korvel/binary_data.h>
#include <korvel/xml_document.h>

#include "fastinfoset/fast_infoset_reader.h"
#include "fastinfoset/messages.h"
#include "values/compression.h"

namespace Korvel {

IFastInfosetItemSink::~IFastInfosetItemSink() = default;

void ReadFastInfosetItems(const unsigned char* data, size_t length,
                          const CFastInfosetContext& options, IFastInfosetItemSink& sink) {
  CBinaryData inflated;
  if (length <= UINT32_MAX && detail::TryInflate(data, static_cast<uint32_t>(length), inflated)) {
    data = inflated.GetData();
    length = inflated.GetLength();
  }
  const size_t content = CFastInfosetReader::FindContent(data, length);
  if (content == 0) detail::ThrowFiError(detail::kFiNotADocument);
  // The reader builds its tree as it goes; the sink sees the same items.
  CXmlDocument document;
  CFastInfosetReader reader(document, options);
  reader.SetItemSink(&sink);
  reader.Read(data + content, length - content);
}

}  // namespace Korvel
