// SPDX-License-Identifier: MIT
// Binary values: CBinaryData, UTF conversions, compression and binary file
// streams.
#include <korvel/binary_data.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "platform/file.h"
#include "test_support.h"
#include "values/binary_record.h"
#include "values/binary_stream.h"
#include "values/compression.h"
#include "values/utf.h"

using namespace Korvel;
using namespace Korvel::testing;
using namespace Korvel::detail::platform;
using Korvel::detail::BinaryDataAccess;

namespace {

const unsigned char* U(const char* s) { return reinterpret_cast<const unsigned char*>(s); }

unsigned char* Malloced(const std::string& s) {
  auto* p = static_cast<unsigned char*>(std::malloc(s.size() + 1));
  std::memcpy(p, s.data(), s.size());
  return p;
}

TEST(BinaryData, CapacityRules) {
  EXPECT_EQ(BinaryDataAccess::Capacity(DataOf("abc")), 8192u);
  EXPECT_EQ(BinaryDataAccess::Capacity(DataOf(std::string(5000, 'x'))), 10000u);

  unsigned char* bytes = Malloced("owned");
  const CBinaryData adopted(bytes, 5, true);
  EXPECT_EQ(adopted.GetData(), bytes);
  EXPECT_EQ(BinaryDataAccess::Capacity(adopted), 5u);
  unsigned char local[] = {1, 2, 3};
  const CBinaryData copied(local, 3, false);
  local[0] = 9;
  EXPECT_EQ(copied[0], 1);

  // Appending grows to twice the needed length.
  CBinaryData d;
  d.Append(U("0123456789"), 10);
  EXPECT_EQ(BinaryDataAccess::Capacity(d), 8192u);
  const std::string chunk(8190, 'y');
  d.Append(U(chunk.data()), static_cast<uint32_t>(chunk.size()));
  EXPECT_EQ(BinaryDataAccess::Capacity(d), 16400u);
  EXPECT_EQ(BytesOf(d), "0123456789" + chunk);
}

TEST(BinaryData, WideTextBecomesUtf16LeCodeUnits) {
  const std::pair<std::wstring, std::string> cases[] = {
      {L"A\u00e9", std::string("A\0\xE9\0", 4)},
      {L"\U0001F600", std::string("\x3D\xD8\x00\xDE", 4)},
      // A lone surrogate is kept as the 16-bit platform would hold it.
      {L"\xD800", std::string("\x00\xD8", 2)},
      // No UTF-16 unit sequence exists for this: the replacement character.
      {std::wstring(1, static_cast<wchar_t>(0x110000)), "\xFD\xFF"},
  };
  for (const auto& [text, bytes] : cases) {
    SCOPED_TRACE(::testing::PrintToString(bytes));
    EXPECT_EQ(BytesOf(CBinaryData(text.c_str())), bytes);
    CBinaryData appended;
    appended.Append(text);
    EXPECT_EQ(BytesOf(appended), bytes);
    CBinaryData perChar = DataOf("[");
    for (wchar_t c : text) perChar.Append(c);
    EXPECT_EQ(BytesOf(perChar), "[" + bytes);
  }
  CBinaryData d;
  d.SetBuffer(L"ab");
  EXPECT_EQ(BinaryDataAccess::Capacity(d), 4u);
  d.Append(std::wstring(L"c\0d", 3));
  EXPECT_EQ(BytesOf(d), std::string("a\0b\0c\0", 6)) << "a wide string counts up to its terminator";
}

TEST(BinaryData, CopiesShareUntilOneChanges) {
  CBinaryData original = DataOf("abc");
  CBinaryData copy = original;
  EXPECT_EQ(copy.GetData(), original.GetData());
  copy.Append(static_cast<unsigned char>('d'));
  EXPECT_EQ(BytesOf(original), "abc");
  EXPECT_EQ(BytesOf(copy), "abcd");
  EXPECT_EQ(BinaryDataAccess::ShareCount(original), 1);
  CBinaryData third = original;
  third[0] = 'X';
  EXPECT_EQ(BytesOf(original), "abc");
  EXPECT_EQ(BytesOf(third), "Xbc");
  const CBinaryData& constView = original;
  CBinaryData fourth = original;
  EXPECT_EQ(constView[1], 'b');
  EXPECT_EQ(BinaryDataAccess::ShareCount(original), 2) << "reading does not separate";

  // Assignment, self-assignment and moves keep the counts right.
  CBinaryData b = DataOf("b");
  b = original;
  EXPECT_EQ(BinaryDataAccess::ShareCount(original), 3);
  const CBinaryData& alias = b;
  b = alias;
  CBinaryData c = std::move(b);
  EXPECT_EQ(b.GetData(), nullptr);
  EXPECT_EQ(BinaryDataAccess::ShareCount(original), 3);
  c = CBinaryData();
  fourth.Clear();
  EXPECT_EQ(BinaryDataAccess::ShareCount(original), 1);
}

TEST(BinaryData, AppendingItselfOrItsOwnBytes) {
  CBinaryData d = DataOf("ab");
  d.Append(d);
  EXPECT_EQ(BytesOf(d), "abab");
  // Big enough that the append has to move the bytes it reads from.
  CBinaryData big = DataOf(std::string(6000, 'z'));
  big.Append(big.GetData(), big.GetLength());
  EXPECT_EQ(BytesOf(big), std::string(12000, 'z'));
  EXPECT_EQ(BinaryDataAccess::ShareCount(big), 1);
}

TEST(BinaryData, ReleaseDataHandsOverTheBytes) {
  CBinaryData d;
  EXPECT_EQ(d.ReleaseData(), nullptr);
  unsigned char* owned = Malloced("abc");
  d = CBinaryData(owned, 3, true);
  unsigned char* released = d.ReleaseData();
  EXPECT_EQ(released, owned) << "a private record gives its own bytes";
  EXPECT_EQ(d.GetData(), nullptr);
  std::free(released);

  d = DataOf("xyz");
  const CBinaryData other = d;
  released = d.ReleaseData();
  EXPECT_NE(released, other.GetData());
  EXPECT_EQ(std::string(reinterpret_cast<char*>(released), 3), "xyz");
  EXPECT_EQ(BytesOf(other), "xyz");
  EXPECT_EQ(BinaryDataAccess::ShareCount(other), 1);
  std::free(released);
}

TEST(BinaryData, IndexOutOfRangeAndEquality) {
  CBinaryData d = DataOf("abc");
  const CBinaryData& c = d;
  KORVEL_EXPECT_THROW_MESSAGE(c[3], CKvException, L"Index Out of range [3]");
  KORVEL_EXPECT_THROW_MESSAGE(d[3], CKvException, L"Index Out of range [3]");
  CBinaryData empty;
  KORVEL_EXPECT_THROW_MESSAGE(empty[0], CKvException, L"Index Out of range [0]");
  EXPECT_EQ(c[2], 'c');

  CBinaryData zeroLength;
  zeroLength.SetAsBase64(L"====");
  CBinaryData otherZeroLength;
  otherZeroLength.SetAsBase64(L"=");
  const std::pair<CBinaryData, CBinaryData> equal[] = {
      {empty, empty}, {d, d}, {d, DataOf("abc")}, {zeroLength, otherZeroLength}};
  const std::pair<CBinaryData, CBinaryData> unequal[] = {{empty, DataOf("a")},
                                                         {d, DataOf("abd")},
                                                         {DataOf("ab"), d},
                                                         {empty, zeroLength},
                                                         {zeroLength, empty}};
  for (const auto& [a, b] : equal) EXPECT_TRUE(a == b && !(a != b)) << BytesOf(a);
  for (const auto& [a, b] : unequal) EXPECT_TRUE(a != b && !(a == b)) << BytesOf(a);
}

// The texts of binary values are rows of tests/data/values/binary_text.txt.
TEST(Base64, LongValuesRoundTripExactlySized) {
  for (size_t length : {1, 2, 3, 255, 256, 257}) {
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
    CBinaryData d;
    d.SetAsBase64(DataOf(bytes).GetAsBase64().c_str());
    EXPECT_EQ(BytesOf(d), bytes);
    EXPECT_EQ(BinaryDataAccess::Capacity(d), length);
  }
  CBinaryData d = DataOf("previous");
  d.SetAsBase64(nullptr);
  EXPECT_EQ(d.GetData(), nullptr);
  EXPECT_EQ(CBinaryData().GetAsHexString(), L"");
  EXPECT_EQ(CBinaryData::GetAsHexString(U("\x12\xab"), 2), L"12AB");
}

class FileBinaryStream : public ::testing::Test {
 protected:
  void TearDown() override { ClearInjectedFileFailures(); }
  void Write(CFileBinaryStream& stream, const std::string& bytes) {
    stream.Write(reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<uint32_t>(bytes.size()));
  }
  const Korvel::testing::TempDir m_temp;
  const std::wstring m_path = m_temp.WidePath("out.xml");
};

TEST_F(FileBinaryStream, Utf16EncodingsStartWithTheByteOrderMarkAndReplaceTheFile) {
  const std::pair<XmlEncoding, const char*> rows[] = {{XmlEncoding_None, ""},
                                                      {XmlEncoding_UTF8, ""},
                                                      {XmlEncoding_UTF16, "\xFF\xFE"},
                                                      {XmlEncoding_UTF16Undeclared, "\xFF\xFE"}};
  m_temp.Write("out.xml", std::string(100, 'x'));
  for (const auto& [encoding, prefix] : rows) {
    for (const std::string& body : {std::string("<a/>"), std::string()}) {
      SCOPED_TRACE(std::to_string(encoding) + " with " + std::to_string(body.size()));
      CFileBinaryStream stream(m_path, encoding);
      Write(stream, body);
      stream.WriteToFile();
      EXPECT_EQ(m_temp.Read("out.xml"), prefix + body);
    }
  }
}

TEST_F(FileBinaryStream, FailuresNameTheFileAndCloseIt) {
  const int before = OpenDescriptors();
  const std::wstring missing = m_temp.WidePath("no/such/dir.xml");
  KORVEL_EXPECT_THROW_MESSAGE(
      CFileBinaryStream(missing, XmlEncoding_UTF8).WriteToFile(), CKvException,
      L"Failed to write data to the file [" + missing + L"] error [0x00000002]");
  for (XmlEncoding encoding : {XmlEncoding_UTF8, XmlEncoding_UTF16}) {
    SCOPED_TRACE(encoding);
    CFileBinaryStream stream(m_path, encoding);
    Write(stream, "data");
    InjectFileFailure(FileOp::Write, ENOSPC);
    KORVEL_EXPECT_THROW_MESSAGE(
        stream.WriteToFile(), CKvException,
        L"Failed to write data to the file [" + m_path + L"] error [0x0000001C]");
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

// Long non-ASCII text is encoded in steps; pairs and malformed characters at
// every position around a step's end.
TEST(Utf8, LongTextAcrossConversionSteps) {
  for (size_t at = 16379; at < 16388; ++at) {
    SCOPED_TRACE(at);
    std::wstring text = L"\u00e9" + std::wstring(at - 1, L'a') + L"\xD83D\xDE00\u4e2d";
    std::string expected = Bytes({0xC3, 0xA9}) + std::string(at - 1, 'a') +
                           Bytes({0xF0, 0x9F, 0x98, 0x80, 0xE4, 0xB8, 0xAD});
    EXPECT_EQ(detail::WideToUtf8(text), expected);
    EXPECT_EQ(std::string(detail::ByteView(detail::WideToUtf8Data(text))), expected);
    EXPECT_EQ(detail::Utf8ToWide(expected), text.substr(0, at) + L"\U0001F600\u4e2d");
    text[at] = L'\xDC00';
    EXPECT_EQ(detail::WideToUtf8(text), "");
  }
}

TEST(Utf8, AppendingFormsAddToWhatIsThere) {
  std::string narrow = "<";
  ASSERT_TRUE(detail::WideToUtf8(L"\u00e9", narrow));
  ASSERT_TRUE(detail::WideToUtf8(L"", narrow));
  EXPECT_EQ(narrow, Bytes({'<', 0xC3, 0xA9}));
  std::wstring wide = L"<";
  ASSERT_TRUE(detail::Utf8ToWide(Bytes({0xC3, 0xA9}), wide));
  EXPECT_EQ(wide, L"<\u00e9");

  CBinaryData data;
  ASSERT_TRUE(detail::WideToUtf8(L"", data));
  EXPECT_EQ(data.GetData(), nullptr) << "no record of length 0";
  ASSERT_TRUE(detail::WideToUtf8(L"ab", data));
  const CBinaryData shared = data;
  ASSERT_TRUE(detail::WideToUtf8(L"\u20ac", data));
  EXPECT_EQ(std::string(detail::ByteView(data)), Bytes({'a', 'b', 0xE2, 0x82, 0xAC}));
  EXPECT_EQ(std::string(detail::ByteView(shared)), "ab") << "appending separated the shared copy";
}

TEST(Utf16Le, ValidTextConvertsBothWaysAndMalformedInputGivesNothing) {
  const std::wstring wide = L"A\u00e9\u20ac\U0001F600";
  const std::string bytes = Bytes({0x41, 0, 0xE9, 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE});
  EXPECT_EQ(detail::WideToUtf16Le(wide), bytes);
  EXPECT_EQ(detail::Utf16LeToWide(bytes), wide);
  EXPECT_EQ(detail::WideToUtf16Le(L"\xD83D\xDE00"), Bytes({0x3D, 0xD8, 0x00, 0xDE}))
      << "a pair in wide text passes as it is";
  CBinaryData data;
  ASSERT_TRUE(detail::WideToUtf16Le(wide, data));
  EXPECT_EQ(std::string(detail::ByteView(data)), bytes);

  for (const std::wstring& bad :
       {std::wstring(L"a\xD800"), std::wstring(L"\xDC00"), std::wstring(L"\xD800\xD800"),
        std::wstring(1, wchar_t(0x110000))}) {
    SCOPED_TRACE(::testing::PrintToString(bad));
    std::string out = "kept";
    EXPECT_FALSE(detail::WideToUtf16Le(bad, out));
    EXPECT_EQ(out, "kept");
    EXPECT_EQ(detail::WideToUtf16Le(bad), "");
  }
  for (const std::string& bad : {Bytes({'a'}), Bytes({'a', 0, 'b'}), Bytes({0x00, 0xD8}),
                                 Bytes({0x00, 0xDC, 0x00, 0xD8}), Bytes({0x00, 0xD8, 'a', 0})}) {
    SCOPED_TRACE(::testing::PrintToString(bad));
    std::wstring out = L"kept";
    EXPECT_FALSE(detail::Utf16LeToWide(bad, out));
    EXPECT_EQ(out, L"kept");
    EXPECT_EQ(detail::Utf16LeToWide(bad), L"");
  }
}

// Markup-like text that deflates well.
std::string Document(size_t records) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>\n";
  for (size_t i = 0; i < records; ++i) {
    text +=
        "\t<item id=\"" + std::to_string(i) + "\">value " + std::to_string(i * 7919) + "</item>\n";
  }
  return text + "</items>\n";
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

bool Inflate(const std::string& bytes, CBinaryData& out) {
  return detail::TryInflate(reinterpret_cast<const unsigned char*>(bytes.data()),
                            static_cast<uint32_t>(bytes.size()), out);
}

TEST(Compression, RoundTripsInBothFramings) {
  const std::string text = Document(2000);  // inflates over several work chunks
  for (auto [type, first] : {std::pair{ct_gzip, 0x1F}, std::pair{ct_zlib, 0x78}}) {
    SCOPED_TRACE(type);
    CBinaryData data = DataOf(text);
    detail::CompressData(data, type);
    ASSERT_LT(data.GetLength(), text.size() / 3);
    EXPECT_EQ(data[0], first);
    EXPECT_EQ(BinaryDataAccess::Capacity(data), data.GetLength());
    ASSERT_TRUE(detail::InflateIfCompressed(data));
    EXPECT_EQ(BytesOf(data), text);
  }
  // Other types and empty values are left alone.
  for (auto type : {ct_none, static_cast<CompressionType>(3), static_cast<CompressionType>(-1)}) {
    CBinaryData data = DataOf("plain");
    const unsigned char* before = data.GetData();
    detail::CompressData(data, type);
    EXPECT_EQ(data.GetData(), before);
  }
  CBinaryData empty;
  detail::CompressData(empty, ct_gzip);
  EXPECT_EQ(empty.GetData(), nullptr);
}

TEST(Compression, InputThatDoesNotShrinkIsCompressedAnyway) {
  // The gzip wrapper alone is longer than ten bytes; random bytes do not shrink.
  const std::pair<CompressionType, std::string> rows[] = {{ct_gzip, "0123456789"},
                                                          {ct_zlib, "x"},
                                                          {ct_zlib, RandomBytes(1000, 1)},
                                                          {ct_gzip, RandomBytes(100000, 2)}};
  for (const auto& [type, bytes] : rows) {
    SCOPED_TRACE(bytes.size());
    CBinaryData data = DataOf(bytes);
    const CBinaryData other = data;  // a sharing copy keeps its bytes
    detail::CompressData(data, type);
    EXPECT_GT(data.GetLength(), bytes.size());
    EXPECT_EQ(BytesOf(other), bytes);
    ASSERT_TRUE(detail::InflateIfCompressed(data));
    EXPECT_EQ(BytesOf(data), bytes);
  }
}

TEST(Compression, OnlyACompleteStreamIsInflated) {
  CBinaryData gz = DataOf(Document(50));
  detail::CompressData(gz, ct_gzip);
  const std::string stream = BytesOf(gz);
  std::string corrupt = stream;
  corrupt[corrupt.size() / 2] ^= 0x55;
  std::string badCrc = stream;
  badCrc[badCrc.size() - 6] ^= 0x01;
  const std::pair<const char*, std::string> cases[] = {
      {"plain XML", "<?xml version=\"1.0\"?><a/>"},
      {"empty", ""},
      {"gzip magic only", "\x1F\x8B"},
      {"zlib header only", "\x78\x9C"},
      {"zlib header then garbage", "\x78\x9C" + RandomBytes(200, 3)},
      {"corrupt middle", corrupt},
      {"bad checksum", badCrc},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    CBinaryData out = DataOf("untouched");
    EXPECT_FALSE(Inflate(bytes, out));
    EXPECT_EQ(BytesOf(out), "untouched");
  }
  // A stream cut anywhere is not inflated, and the input is kept as it came.
  for (size_t cut = 0; cut < stream.size(); ++cut) {
    SCOPED_TRACE(cut);
    CBinaryData truncated = DataOf(stream.substr(0, cut));
    const unsigned char* before = truncated.GetData();
    ASSERT_FALSE(detail::InflateIfCompressed(truncated));
    ASSERT_EQ(truncated.GetData(), before);
    ASSERT_EQ(truncated.GetLength(), cut);
  }
  // A complete stream is inflated whatever follows it.
  const std::string text = "<a/>" + Document(10).substr(0, 300);
  CBinaryData zlib = DataOf(text);
  detail::CompressData(zlib, ct_zlib);
  CBinaryData out;
  ASSERT_TRUE(Inflate(BytesOf(zlib) + "trailing bytes", out));
  EXPECT_EQ(BytesOf(out), text);
}

TEST(Compression, InteroperatesWithTheSystemGzip) {
  const Korvel::testing::TempDir temp;
  const std::string text = Document(500);
  CBinaryData data = DataOf(text);
  detail::CompressData(data, ct_gzip);
  temp.Write("ours.gz", BytesOf(data));
  const std::string inflate =
      "gzip -d -c '" + temp.Path("ours.gz") + "' > '" + temp.Path("out") + "'";
  ASSERT_EQ(std::system(inflate.c_str()), 0);
  EXPECT_EQ(temp.Read("out"), text);

  for (const std::string& original : {text, std::string()}) {
    SCOPED_TRACE(original.size());
    temp.Write("in", original);
    const std::string deflate =
        "gzip -c -9 '" + temp.Path("in") + "' > '" + temp.Path("in.gz") + "'";
    ASSERT_EQ(std::system(deflate.c_str()), 0);
    CBinaryData theirs = DataOf(temp.Read("in.gz"));
    ASSERT_TRUE(detail::InflateIfCompressed(theirs));
    EXPECT_EQ(BytesOf(theirs), original);
  }
}

}  // namespace
