// SPDX-License-Identifier: MIT
#include "values/compression.h"

#include <cstdlib>
#include <random>
#include <string>

#include "test_support.h"
#include "values/binary_record.h"

using namespace Korvel;
using namespace Korvel::detail;
using Korvel::testing::BytesOf;
using Korvel::testing::DataOf;

namespace {

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
  return TryInflate(reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<uint32_t>(bytes.size()), out);
}

TEST(Compression, RoundTripsInBothFramings) {
  const std::string text = Document(2000);  // inflates over several work chunks
  for (auto [type, first] : {std::pair{ct_gzip, 0x1F}, std::pair{ct_zlib, 0x78}}) {
    SCOPED_TRACE(type);
    CBinaryData data = DataOf(text);
    CompressData(data, type);
    ASSERT_LT(data.GetLength(), text.size() / 3);
    EXPECT_EQ(data[0], first);
    EXPECT_EQ(BinaryDataAccess::Capacity(data), data.GetLength());
    ASSERT_TRUE(InflateIfCompressed(data));
    EXPECT_EQ(BytesOf(data), text);
  }
  // Other types and empty values are left alone.
  for (auto type : {ct_none, static_cast<CompressionType>(3), static_cast<CompressionType>(-1)}) {
    CBinaryData data = DataOf("plain");
    const unsigned char* before = data.GetData();
    CompressData(data, type);
    EXPECT_EQ(data.GetData(), before);
  }
  CBinaryData empty;
  CompressData(empty, ct_gzip);
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
    CompressData(data, type);
    EXPECT_GT(data.GetLength(), bytes.size());
    EXPECT_EQ(BytesOf(other), bytes);
    ASSERT_TRUE(InflateIfCompressed(data));
    EXPECT_EQ(BytesOf(data), bytes);
  }
}

TEST(Compression, OnlyACompleteStreamIsInflated) {
  CBinaryData gz = DataOf(Document(50));
  CompressData(gz, ct_gzip);
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
    ASSERT_FALSE(InflateIfCompressed(truncated));
    ASSERT_EQ(truncated.GetData(), before);
    ASSERT_EQ(truncated.GetLength(), cut);
  }
  // A complete stream is inflated whatever follows it.
  const std::string text = "<a/>" + Document(10).substr(0, 300);
  CBinaryData zlib = DataOf(text);
  CompressData(zlib, ct_zlib);
  CBinaryData out;
  ASSERT_TRUE(Inflate(BytesOf(zlib) + "trailing bytes", out));
  EXPECT_EQ(BytesOf(out), text);
}

TEST(Compression, InteroperatesWithTheSystemGzip) {
  const Korvel::testing::TempDir temp;
  const std::string text = Document(500);
  CBinaryData data = DataOf(text);
  CompressData(data, ct_gzip);
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
    ASSERT_TRUE(InflateIfCompressed(theirs));
    EXPECT_EQ(BytesOf(theirs), original);
  }
}

}  // namespace
