// SPDX-License-Identifier: MIT
// Documents written to files in one piece, plain or gzip compressed.
#include "binding/document_file.h"

#include <utility>

#include <korvel/errors.h>

#include "binding/messages.h"
#include "values/binary_stream.h"
#include "values/compression.h"
#include "values/utf.h"

namespace Korvel::detail {

namespace {

bool IsUtf16(XmlEncoding encoding) {
  return encoding == XmlEncoding_UTF16 || encoding == XmlEncoding_UTF16Undeclared;
}

}  // namespace

void RefuseZlibForFiles(CompressionType compression) {
  if (compression == ct_zlib) throw CKvException(kZlibOnlyForStreams);
}

void WriteDocumentFile(const wchar_t* path, CBinaryData bytes, XmlEncoding encoding,
                       CompressionType compression) {
  XmlEncoding fileEncoding = encoding;
  if (compression == ct_gzip) {
    // The byte-order mark goes inside the compressed data: the file is a plain
    // gzip stream that inflates to a complete UTF-16 document.
    if (IsUtf16(encoding)) {
      CBinaryData marked(kUtf16LeByteOrderMark, sizeof kUtf16LeByteOrderMark);
      marked.Append(bytes);
      bytes = std::move(marked);
    }
    CompressData(bytes, ct_gzip);
    fileEncoding = XmlEncoding_UTF8;  // no mark in front of the compressed bytes
  }
  CFileBinaryStream file(path ? path : L"", fileEncoding);
  file.GetData() = std::move(bytes);
  file.WriteToFile();
}

}  // namespace Korvel::detail
