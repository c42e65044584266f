// SPDX-License-Identifier: MIT
#include <korvel/fast_infoset_binary_data.h>

#include <gtest/gtest.h>

#include <string>

#include "fastinfoset/fi_test_support.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

CFastInfosetBinaryData Data(const std::string& hex) { return Octets(hex); }

TEST(FastInfosetBinaryData, DecodesEveryAlgorithm) {
  const struct {
    uint32_t algorithm;
    const char* octets;
    const wchar_t* text;
  } rows[] = {
      {1, "0A FF", L"0AFF"},
      {2, "01 02 03", L"AQID"},
      {3, "FF FE 7F FF", L"-2 32767"},
      {4, "00 00 00 01 FF FF FF FF", L"1 -1"},
      {5, "80 00 00 00 00 00 00 00", L"-9223372036854775808"},
      {6, "38", L"true"},
      {6, "30", L"false"},
      {6, "2A", L"true false"},
      {6, "0F F0", L"true true true true true true true true false false false false"},
      {7, "3F C0 00 00", L"1.5"},
      {7, "3D CC CC CD 7F 80 00 00 7F C0 00 00", L"0.1 INF NaN"},
      {8, "3F B9 99 99 99 99 99 9A FF F0 00 00 00 00 00 00", L"0.1 -INF"},
      {9, "00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF",
       L"00112233-4455-6677-8899-aabbccddeeff"},
      {10, "3C 61 3E", L"<a>"},
      {4, "", L""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.octets);
    EXPECT_EQ(Data(row.octets).GetAsString(row.algorithm), row.text);
  }
}

TEST(FastInfosetBinaryData, EncodesOneValue) {
  const struct {
    uint32_t algorithm;
    const wchar_t* text;
    const char* octets;
  } rows[] = {
      {1, L"0aff", "0A FF"},
      {2, L"AQID", "01 02 03"},
      {3, L"-2", "FF FE"},
      {4, L" 7 ", "00 00 00 07"},
      {5, L"-1", "FF FF FF FF FF FF FF FF"},
      {6, L"true", "38"},
      {6, L"0", "30"},
      {7, L"1.5", "3F C0 00 00"},
      {8, L"-INF", "FF F0 00 00 00 00 00 00"},
      {9, L"00112233-4455-6677-8899-AABBCCDDEEFF", "00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF"},
      {9, L"00112233445566778899aabbccddeeff", "00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF"},
      {10, L"\u00e9", "C3 A9"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.octets);
    CFastInfosetBinaryData data;
    data.SetAsEncodedString(row.algorithm, row.text);
    EXPECT_EQ(Hex(data), row.octets);
  }
}

TEST(FastInfosetBinaryData, Errors) {
  const struct {
    uint32_t algorithm;
    const char* octets;
    const wchar_t* message;
  } rows[] = {
      {3, "00", L"Invalid value for SHORT byte encoding."},
      {4, "00 00 00", L"Invalid value for INT byte encoding."},
      {5, "00", L"Invalid value for LONG byte encoding."},
      {7, "3F C0 00", L"Invalid value for FLOAT byte encoding."},
      {8, "00", L"Invalid value for DOUBLE byte encoding."},
      {9, "00", L"Invalid value for UUID byte encoding."},
      {6, "80", L"Invalid value for BOOLEAN byte encoding."},
      {11, "00", L"Unknown byte encoding."},
      {0, "00", L"Unknown byte encoding."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.octets);
    KORVEL_EXPECT_THROW_MESSAGE(Data(row.octets).GetAsString(row.algorithm), CKvException,
                                row.message);
  }
  CFastInfosetBinaryData data;
  KORVEL_EXPECT_THROW_MESSAGE(data.SetAsEncodedString(11, L"1"), CKvException,
                              L"Unknown byte encoding.");
  KORVEL_EXPECT_THROW_MESSAGE(data.SetAsEncodedString(9, L"0011"), CKvException,
                              L"Invalid value for UUID byte encoding.");
  EXPECT_THROW(data.SetAsEncodedString(3, L"40000"), CKvException);
}

}  // namespace
}  // namespace Korvel::testing
