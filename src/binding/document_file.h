// SPDX-License-Identifier: MIT
// Writing a whole serialised document to a file, as the file entry points of
// every text encoding do.
#pragma once

#include <korvel/binary_data.h>
#include <korvel/xml_encoding.h>

namespace Korvel::detail {

// CKvException "ZLIB Compression only available for To Stream methods." for
// ct_zlib, before any file is touched.
void RefuseZlibForFiles(CompressionType compression);

// Writes the document's bytes (in encoding, without a byte-order mark) to
// path: UTF-16 files start FF FE; with ct_gzip the file is one gzip stream of
// all of that, mark included.
void WriteDocumentFile(const wchar_t* path, CBinaryData bytes, XmlEncoding encoding,
                       CompressionType compression);

}  // namespace Korvel::detail
