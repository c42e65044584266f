// SPDX-License-Identifier: MIT
#include <korvel/binary_data.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "values/binary_record.h"

using Korvel::CBinaryData;
using Korvel::CKvException;
using Korvel::detail::BinaryDataAccess;

namespace {

const unsigned char* U(const char* s) { return reinterpret_cast<const unsigned char*>(s); }

CBinaryData Data(const std::string& s) {
  return CBinaryData(U(s.data()), static_cast<uint32_t>(s.size()));
}

std::string Str(const CBinaryData& d) {
  if (d.GetData() == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(d.GetData()), d.GetLength());
}

unsigned char* Malloced(const std::string& s) {
  auto* p = static_cast<unsigned char*>(std::malloc(s.size() + 1));
  std::memcpy(p, s.data(), s.size());
  return p;
}

// --- Construction and capacity ----------------------------------------------

TEST(BinaryData, EmptyValuesHoldNoRecord) {
  const CBinaryData empties[] = {
      CBinaryData(),
      CBinaryData(U("x"), 0),
      CBinaryData(nullptr, 5),
      CBinaryData(Malloced("abc"), 0, true),  // adopted and released at once
      CBinaryData(static_cast<const wchar_t*>(nullptr)),
      CBinaryData(L""),
  };
  for (const CBinaryData& d : empties) {
    EXPECT_EQ(d.GetData(), nullptr);
    EXPECT_EQ(d.GetLength(), 0u);
    EXPECT_EQ(d, CBinaryData());
  }
}

TEST(BinaryData, CopiedBytesReserveRoomAndAdoptedBytesDoNot) {
  const CBinaryData small = Data("abc");
  EXPECT_EQ(Str(small), "abc");
  EXPECT_EQ(BinaryDataAccess::Capacity(small), 8192u);

  const std::string big(5000, 'x');
  EXPECT_EQ(BinaryDataAccess::Capacity(Data(big)), 10000u);

  unsigned char* bytes = Malloced("owned");
  const CBinaryData adopted(bytes, 5, true);
  EXPECT_EQ(adopted.GetData(), bytes);
  EXPECT_EQ(BinaryDataAccess::Capacity(adopted), 5u);

  unsigned char local[] = {1, 2, 3};
  const CBinaryData copied(local, 3, false);
  EXPECT_NE(copied.GetData(), local);
  local[0] = 9;
  EXPECT_EQ(copied[0], 1);
}

TEST(BinaryData, AppendGrowsToTwiceTheNeededLength) {
  CBinaryData d;
  d.Append(U("0123456789"), 10);
  EXPECT_EQ(BinaryDataAccess::Capacity(d), 8192u);
  const std::string chunk(8190, 'y');
  d.Append(U(chunk.data()), static_cast<uint32_t>(chunk.size()));
  EXPECT_EQ(d.GetLength(), 8200u);
  EXPECT_EQ(BinaryDataAccess::Capacity(d), 16400u);
  EXPECT_EQ(Str(d), "0123456789" + chunk);
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
    EXPECT_EQ(Str(CBinaryData(text.c_str())), bytes);
    CBinaryData appended;
    appended.Append(text);
    EXPECT_EQ(Str(appended), bytes);
    CBinaryData perChar = Data("[");
    for (wchar_t c : text) perChar.Append(c);
    EXPECT_EQ(Str(perChar), "[" + bytes);
  }
  CBinaryData d;
  d.SetBuffer(L"ab");
  EXPECT_EQ(BinaryDataAccess::Capacity(d), 4u);
  d.Append(std::wstring(L"c\0d", 3));
  EXPECT_EQ(Str(d), std::string("a\0b\0c\0", 6)) << "a wide string counts up to its terminator";
}

TEST(BinaryData, SetBufferReplacesEvenFromItsOwnBytes) {
  CBinaryData d = Data("hello world");
  d.SetBuffer(d.GetData() + 6, 5);
  EXPECT_EQ(Str(d), "world");
  d.SetBuffer(U("x"), 0);
  EXPECT_EQ(d.GetData(), nullptr);
}

// --- Sharing and copy on write -----------------------------------------------

TEST(BinaryData, CopiesShareUntilOneChanges) {
  CBinaryData original = Data("abc");
  CBinaryData copy = original;
  EXPECT_EQ(copy.GetData(), original.GetData());
  EXPECT_EQ(BinaryDataAccess::ShareCount(original), 2);

  copy.Append(static_cast<unsigned char>('d'));
  EXPECT_EQ(Str(original), "abc");
  EXPECT_EQ(Str(copy), "abcd");
  EXPECT_EQ(BinaryDataAccess::ShareCount(original), 1);

  CBinaryData third = original;
  third[0] = 'X';
  EXPECT_EQ(Str(original), "abc");
  EXPECT_EQ(Str(third), "Xbc");

  const CBinaryData& constView = original;
  CBinaryData fourth = original;
  EXPECT_EQ(constView[1], 'b');
  EXPECT_EQ(BinaryDataAccess::ShareCount(original), 2) << "reading does not separate";
}

TEST(BinaryData, AssignmentAndMoveKeepCountsRight) {
  CBinaryData a = Data("a");
  CBinaryData b = Data("b");
  b = a;
  EXPECT_EQ(BinaryDataAccess::ShareCount(a), 2);
  const CBinaryData& alias = b;
  b = alias;
  EXPECT_EQ(BinaryDataAccess::ShareCount(a), 2);
  CBinaryData c = std::move(b);
  EXPECT_EQ(b.GetData(), nullptr);
  EXPECT_EQ(BinaryDataAccess::ShareCount(a), 2);
  c = CBinaryData();
  EXPECT_EQ(BinaryDataAccess::ShareCount(a), 1);
  a.Clear();
  EXPECT_EQ(a.GetLength(), 0u);
}

TEST(BinaryData, AppendingItselfOrItsOwnBytes) {
  CBinaryData d = Data("ab");
  d.Append(d);
  EXPECT_EQ(Str(d), "abab");

  // Big enough that the append has to move the bytes it reads from.
  CBinaryData big = Data(std::string(6000, 'z'));
  big.Append(big.GetData(), big.GetLength());
  EXPECT_EQ(Str(big), std::string(12000, 'z'));
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

  d = Data("xyz");
  const CBinaryData other = d;
  released = d.ReleaseData();
  EXPECT_NE(released, other.GetData());
  EXPECT_EQ(std::string(reinterpret_cast<char*>(released), 3), "xyz");
  EXPECT_EQ(Str(other), "xyz");
  EXPECT_EQ(BinaryDataAccess::ShareCount(other), 1);
  std::free(released);
}

TEST(BinaryData, IndexOutOfRange) {
  CBinaryData d = Data("abc");
  const CBinaryData& c = d;
  KORVEL_EXPECT_THROW_MESSAGE(c[3], CKvException, L"Index Out of range [3]");
  KORVEL_EXPECT_THROW_MESSAGE(d[3], CKvException, L"Index Out of range [3]");
  CBinaryData empty;
  KORVEL_EXPECT_THROW_MESSAGE(empty[0], CKvException, L"Index Out of range [0]");
  EXPECT_EQ(c[2], 'c');
}

TEST(BinaryData, Equality) {
  struct Row {
    const char* name;
    CBinaryData a, b;
    bool equal;
  };
  CBinaryData shared = Data("s");
  Row rows[] = {
      {"both empty", CBinaryData(), CBinaryData(), true},
      {"empty and not", CBinaryData(), Data("a"), false},
      {"same bytes", Data("abc"), Data("abc"), true},
      {"different byte", Data("abc"), Data("abd"), false},
      {"prefix", Data("ab"), Data("abc"), false},
      {"shared record", shared, shared, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.a == r.b, r.equal);
    EXPECT_EQ(r.a != r.b, !r.equal);
  }
}

// Two threads, each appending to its own copy of one shared value, must end up
// with two correct, independent buffers (the sanitizer build checks the races).
TEST(BinaryData, CopiesAppendedOnTwoThreadsStayIndependent) {
  for (int round = 0; round < 50; ++round) {
    const CBinaryData original = Data(std::string(100, 'o'));
    CBinaryData left = original;
    CBinaryData right = original;
    auto grow = [](CBinaryData& d, unsigned char byte) {
      for (int i = 0; i < 2000; ++i) d.Append(byte);
      CBinaryData copy = d;  // share and drop again while the other thread works
      copy.Append(byte);
    };
    std::thread a(grow, std::ref(left), 'L');
    std::thread b(grow, std::ref(right), 'R');
    a.join();
    b.join();
    ASSERT_EQ(Str(left), std::string(100, 'o') + std::string(2000, 'L'));
    ASSERT_EQ(Str(right), std::string(100, 'o') + std::string(2000, 'R'));
    ASSERT_EQ(Str(original), std::string(100, 'o'));
  }
}

// --- Base64 -------------------------------------------------------------------

TEST(Base64, EncodesWithPadding) {
  const std::pair<const char*, const wchar_t*> vectors[] = {
      {"", L""},
      {"f", L"Zg=="},
      {"fo", L"Zm8="},
      {"foo", L"Zm9v"},
      {"abc", L"YWJj"},
      {"foob", L"Zm9vYg=="},
      {"fooba", L"Zm9vYmE="},
      {"foobar", L"Zm9vYmFy"},
      {"\xFB\xFF", L"+/8="},
  };
  for (const auto& [bytes, text] : vectors) {
    SCOPED_TRACE(bytes);
    EXPECT_EQ(Data(bytes).GetAsBase64(), text);
    CBinaryData decoded;
    decoded.SetAsBase64(text);
    EXPECT_EQ(Str(decoded), bytes);
  }
}

TEST(Base64, AllByteValuesRoundTrip) {
  for (size_t length : {1, 2, 3, 255, 256, 257}) {
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
    CBinaryData d;
    d.SetAsBase64(Data(bytes).GetAsBase64().c_str());
    EXPECT_EQ(Str(d), bytes);
    EXPECT_EQ(BinaryDataAccess::Capacity(d), length) << "decoded values are exactly sized";
  }
}

TEST(Base64, DecodingToleranceRules) {
  struct Row {
    const char* name;
    const wchar_t* text;
    bool hasRecord;
    std::string bytes;
  };
  const Row rows[] = {
      {"line breaks and spaces", L"Zm9v\r\nYm\tFy \n", true, "foobar"},
      {"= anywhere", L"Z=m9=v", true, "foo"},
      {"leftover bits dropped", L"Zm9vY", true, "foo"},
      {"exclamation mark", L"Zm9v!", false, ""},
      {"padding mid-text is only skipped", L"Zg==Zg==", true, "f\x06`"},
      {"only padding", L"====", true, ""},
      {"one character", L"Q", true, ""},
      {"low 7 bits count", L"\u0141\u0142\u0143\u0144", true, std::string("\x00\x10\x83", 3)},
      {"non-ASCII reducing to !", L"Zm9v\u00a1", false, ""},
      {"dash", L"Zm-9", false, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CBinaryData d = Data("previous");
    d.SetAsBase64(r.text);
    EXPECT_EQ(d.GetData() != nullptr, r.hasRecord);
    EXPECT_EQ(Str(d), r.bytes);
  }
  CBinaryData d = Data("previous");
  d.SetAsBase64(L"");
  EXPECT_EQ(d.GetData(), nullptr);
  d.SetAsBase64(nullptr);
  EXPECT_EQ(d.GetData(), nullptr);
}

// --- Hex ----------------------------------------------------------------------

TEST(Hex, PrintsUpperCaseAndReadsBothCases) {
  EXPECT_EQ(Data(std::string("\x00\x0A\xFF\x5c", 4)).GetAsHexString(), L"000AFF5C");
  EXPECT_EQ(CBinaryData().GetAsHexString(), L"");
  EXPECT_EQ(CBinaryData::GetAsHexString(U("\x12\xab"), 2), L"12AB");

  CBinaryData d;
  d.SetAsHexString(L"0aFf5c");
  EXPECT_EQ(Str(d), "\x0A\xFF\x5C");
  EXPECT_EQ(d.GetAsHexString(), L"0AFF5C");
  EXPECT_EQ(BinaryDataAccess::Capacity(d), 3u);
  d.SetAsHexString(L"");
  EXPECT_EQ(d.GetData(), nullptr);
}

TEST(Hex, RejectsOddLengthsAndNonDigits) {
  struct Row {
    const wchar_t* text;
    const wchar_t* message;
  };
  const Row rows[] = {
      {L"ABC", L"Invalid length in hex string"},
      {L"0G1", L"Invalid length in hex string"},
      {L"0G", L"Invalid char in hex string [G]"},
      {L"G0", L"Invalid char in hex string [G]"},
      {L"00 1", L"Invalid char in hex string [ ]"},
      {L"0\u0130", L"Invalid char in hex string [\u0130]"},
      {L"AB\u00e9F", L"Invalid char in hex string [\u00e9]"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(r.text)));
    CBinaryData d = Data("previous");
    KORVEL_EXPECT_THROW_MESSAGE(d.SetAsHexString(r.text), CKvException, r.message);
    EXPECT_EQ(d.GetData(), nullptr) << "the value is cleared first";
  }
}

// --- Bad input ----------------------------------------------------------------

TEST(BinaryData, RandomTextThroughTheDecoders) {
  std::mt19937 rng(99);
  const wchar_t pool[] = L"AZaz09+/= \r\n\t!-G\u00e9\u0141\xD800";
  for (int round = 0; round < 5000; ++round) {
    std::wstring text(rng() % 50, L'A');
    for (wchar_t& c : text) c = pool[rng() % (sizeof pool / sizeof pool[0] - 1)];
    CBinaryData d;
    d.SetAsBase64(text.c_str());
    if (d.GetData() != nullptr) {
      // Whatever decoded encodes back to a canonical form that decodes the same.
      CBinaryData again;
      again.SetAsBase64(d.GetAsBase64().c_str());
      ASSERT_EQ(again, d);
    }
    try {
      d.SetAsHexString(text.c_str());
      ASSERT_EQ(d.GetLength(), text.size() / 2);
    } catch (const CKvException&) {
      ASSERT_EQ(d.GetData(), nullptr);
    }
  }
}

}  // namespace
