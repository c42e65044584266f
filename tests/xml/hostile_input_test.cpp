// SPDX-License-Identifier: MIT
// Hostile and malformed documents: compressed input cut short or followed by
// garbage, decompression bombs, huge tokens, deep nesting and wide text that no
// UTF-16 can hold. One test bounds time and memory of the worst of them.
#include <korvel/xml_document.h>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <string>

#include <korvel/serialization_context.h>

#include "test_support.h"
#include "values/compression.h"

namespace Korvel {
namespace {

using testing::TempDir;

// One deflate stream in gzip (31) or zlib (15) framing.
std::string Deflate(const std::string& text, int windowBits) {
  CBinaryData data = testing::DataOf(text);
  detail::CompressData(data, windowBits == 31 ? ct_gzip : ct_zlib);
  return testing::BytesOf(data);
}

// "<r>" and then megabytes MiB of spaces: after a full flush the deflater
// forgets its history, so one flushed mebibyte of spaces may be repeated as
// often as wanted. The stream never ends; the limit must stop it first.
std::string Bomb(int megabytes) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string head(64, '\0');
  std::string block(1 << 20, ' ');
  std::string packed(deflateBound(&z, block.size()) + 64, '\0');
  const auto run = [&](const std::string& in, std::string& out) {
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FULL_FLUSH), Z_OK);
    out.resize(out.size() - z.avail_out);
  };
  run("<r>", head);
  run(block, packed);
  deflateEnd(&z);
  std::string bomb = head;
  for (int i = 0; i < megabytes; ++i) bomb += packed;
  return bomb;
}

void Load(CXmlDocument& doc, const std::string& bytes) {
  doc.LoadXmlStream(reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<uint32_t>(bytes.size()));
}

TEST(HostileInput, CompressedInputMustBeOneWholeStream) {
  const std::string xml = "<r a='1'>" + std::string(5000, 'x') + "</r>";
  for (const int framing : {31, 15}) {
    SCOPED_TRACE(framing == 31 ? "gzip" : "zlib");
    const std::string packed = Deflate(xml, framing);
    CXmlDocument doc;
    Load(doc, packed);
    EXPECT_EQ(doc.GetDocumentElement()->GetText().size(), 5000u);
    // Cut anywhere after the header, the stream is reported as truncated.
    for (const size_t cut : {size_t{12}, packed.size() / 2, packed.size() - 1}) {
      SCOPED_TRACE(cut);
      KORVEL_EXPECT_THROW_MESSAGE(Load(doc, packed.substr(0, cut)), CKvException,
                                  L"The compressed input is truncated");
    }
    for (const std::string& tail : {std::string("x"), std::string(1, '\0'), packed}) {
      KORVEL_EXPECT_THROW_MESSAGE(Load(doc, packed + tail), CKvException,
                                  L"The compressed input has data after its end");
    }
    std::string corrupt = packed;
    corrupt[framing == 31 ? 10 : 2] |= 0x06;  // the first block's type becomes the reserved one
    KORVEL_EXPECT_THROW_MESSAGE(Load(doc, corrupt), CKvException,
                                L"The compressed input is corrupt: invalid block type");
  }
}

TEST(HostileInput, LargeCompressedInputLoadsWhole) {
  // About 2 MB inflated: the inflater's output chunks grow several times.
  std::string xml = "<r>";
  constexpr int kCount = 60000;
  for (int i = 0; i < kCount; ++i) {
    xml += "<e n='" + std::to_string(i) + "'>" + std::to_string(i * 7919L) + "</e>";
  }
  xml += "</r>";
  for (const int framing : {31, 15}) {
    SCOPED_TRACE(framing == 31 ? "gzip" : "zlib");
    CXmlDocument doc;
    Load(doc, Deflate(xml, framing));
    int i = 0;
    for (const CXmlElement* e = doc.GetDocumentElement()->GetFirstElement(); e;
         e = e->GetNextSiblingElement(), ++i) {
      ASSERT_EQ(e->GetAttribute(L"n", L""), std::to_wstring(i));
      ASSERT_EQ(e->GetText(), std::to_wstring(i * 7919L));
    }
    EXPECT_EQ(i, kCount);
  }
}

TEST(HostileInput, InflationStopsAtTheContextsLimit) {
  const std::string bomb = Bomb(8);
  CSerializationContext context;
  context.SetMaxInflatedSize(4 << 20);
  CXmlDocument doc(context);
  KORVEL_EXPECT_THROW_MESSAGE(Load(doc, bomb), CKvException,
                              L"The inflated input exceeds the limit of 4194304 bytes");
  // Honest input well past the default minimum ratio loads.
  context.SetMaxInflatedSize(0);
  const std::string xml = "<r>" + std::string(3 << 20, 'y') + "</r>";
  Load(doc, Deflate(xml, 31));
  EXPECT_EQ(doc.GetDocumentElement()->GetText().size(), size_t{3} << 20);
}

// A code point beyond U+10FFFF is refused like any character XML forbids,
// on the line it stands on, after the text before it was parsed.
TEST(HostileInput, WideTextBeyondUnicodeIsRefused) {
  CXmlDocument doc;
  const std::wstring bad = std::wstring(L"<r>\n<a>") + static_cast<wchar_t>(0x110000) + L"</a></r>";
  KORVEL_EXPECT_THROW_MESSAGE(doc.LoadXml(bad.c_str()), CKvException,
                              L"not well-formed (invalid token) at line 2");
  const std::wstring early = std::wstring(L"<r><</r>") + static_cast<wchar_t>(-1);
  KORVEL_EXPECT_THROW_MESSAGE(doc.LoadXml(early.c_str()), CKvException,
                              L"not well-formed (invalid token) at line 1");
  doc.LoadXml(L"<r>\U0010FFFF</r>");
  EXPECT_EQ(doc.GetDocumentElement()->GetText(), L"\U0010FFFF");
}

size_t PeakResidentBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<size_t>(usage.ru_maxrss) * 1024;
}

// Loose bounds, far above what the work needs, so that only a runaway (a
// quadratic rescan, inflating a whole bomb, a stack blown by nesting) trips them.
TEST(HostileInput, HostileDocumentsStayWithinLooseBounds) {
  const auto start = std::chrono::steady_clock::now();
  const size_t huge = size_t{32} << 20;
  TempDir dir;
  {
    CXmlDocument doc;
    // 1 GiB in 1 MiB: stopped at the default limit of 50 times the input.
    const std::string bomb = Bomb(1024);
    EXPECT_THROW(Load(doc, bomb), CKvException);
  }
  {
    const std::string attribute = "<r a='" + std::string(huge, 'v') + "'/>";
    const std::string text = "<r>" + std::string(huge, 't') + "</r>";
    dir.Write("text.xml", text);
    CSerializationContext roomy;  // the text shrinks far beyond the default ratio
    roomy.SetMaxInflatedSize(uint64_t{1} << 30);
    CXmlDocument doc(roomy);
    Load(doc, attribute);
    EXPECT_EQ(doc.GetDocumentElement()->GetAttribute(L"a", L"").size(), huge);
    Load(doc, Deflate(text, 15));
    EXPECT_EQ(doc.GetDocumentElement()->GetText().size(), huge);
    for (const bool async : {false, true}) {
      AsyncFromXmlFile(async);
      doc.Load(dir.WidePath("text.xml").c_str());
      EXPECT_EQ(doc.GetDocumentElement()->GetText().size(), huge);
    }
    AsyncFromXmlFile(false);
  }
  {
    const int depth = 100000;
    std::string nested;
    for (int i = 0; i < depth; ++i) nested += "<e>";
    for (int i = 0; i < depth; ++i) nested += "</e>";
    CXmlDocument doc;
    Load(doc, nested);
    EXPECT_NE(doc.GetDocumentElement(), nullptr);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 60.0);
  EXPECT_LT(PeakResidentBytes(), size_t{3} << 30);
}

}  // namespace
}  // namespace Korvel
