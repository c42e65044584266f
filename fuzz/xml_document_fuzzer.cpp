// SPDX-License-Identifier: MIT
// The document loader. The bytes load as they are (plain, compressed or in
// any encoding); then, deflated into a gzip or zlib stream, they must load to
// the same outcome, and the stream cut short or followed by garbage must fail;
// last, as wide text in which some characters lie beyond U+10FFFF, which must
// be refused. A loaded tree must answer XPath queries for every node.
#include <cstdlib>
#include <string>

#include <zlib.h>

#include <korvel/errors.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

namespace {

using namespace Korvel;

// Small enough that a bomb in the corpus costs little, large enough for any input.
constexpr uint64_t kInflateLimit = 8 << 20;

void Walk(const CXmlDocument& document) {
  // Depth-first without recursion: documents may be deeply nested.
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
}

// Whether the bytes load; the tree is walked when they do.
bool Loads(const CSerializationContext& context, const std::string& bytes) {
  try {
    CXmlDocument document(context);
    document.LoadXmlStream(reinterpret_cast<const unsigned char*>(bytes.data()),
                           static_cast<uint32_t>(bytes.size()));
    Walk(document);
    return true;
  } catch (const CKvException&) {
    return false;
  }
}

std::string Deflate(const uint8_t* data, size_t size, int windowBits) {
  z_stream z{};
  if (deflateInit2(&z, 1, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
  std::string out(deflateBound(&z, size), '\0');
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) std::abort();
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CSerializationContext context;
  context.SetMaxInflatedSize(kInflateLimit);
  const bool plain = Loads(context, std::string(reinterpret_cast<const char*>(data), size));

  // Input that is itself compressed would be inflated twice one way only.
  if (size >= 2 && size <= (1 << 20) && !(data[0] == 0x1F && data[1] == 0x8B) &&
      (data[0] & 0x0F) != Z_DEFLATED) {
    for (const int windowBits : {31, 15}) {
      const std::string packed = Deflate(data, size, windowBits);
      if (Loads(context, packed) != plain) std::abort();
      if (Loads(context, packed.substr(0, packed.size() - 1 - size % 7 % packed.size())))
        std::abort();  // cut short, yet loaded
      if (Loads(context, packed + static_cast<char>(size))) std::abort();  // garbage after the end
    }
  }

  // Three bytes per character, so values run beyond U+10FFFF.
  std::wstring wide;
  bool beyond = false;
  for (size_t i = 0; i + 2 < size; i += 3) {
    const uint32_t c = data[i] | data[i + 1] << 8 | (data[i + 2] & 0x1F) << 16;
    beyond = beyond || c > 0x10FFFF;
    wide += static_cast<wchar_t>(c);
  }
  if (wide.find(L'\0') != std::wstring::npos) return 0;
  try {
    CXmlDocument document(context);
    document.LoadXml(wide.c_str());
    if (beyond) std::abort();  // a character no UTF-16 holds was accepted
    Walk(document);
  } catch (const CKvException&) {
  }
  return 0;
}
