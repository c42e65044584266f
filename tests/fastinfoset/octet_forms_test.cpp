// SPDX-License-Identifier: MIT
#include "fastinfoset/octet_forms.h"

#include <gtest/gtest.h>

#include <string>

#include "fastinfoset/fi_test_support.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

using namespace detail::fi;

enum Form { kIndex2, kIndex3, kChunkIndex4, kLength2, kLength5, kLength7, kSequence };

struct Row {
  Form form;
  uint32_t value;
  const char* octets;
};

// Every boundary of every form, as ITU-T Rec. X.891 lays the bits out.
const Row kRows[] = {
    {kIndex2, 1, "00"},           {kIndex2, 64, "3F"},          {kIndex2, 65, "40 00"},
    {kIndex2, 8256, "5F FF"},     {kIndex2, 8257, "60 00 00"},  {kIndex2, 1 << 20, "6F DF BF"},
    {kIndex3, 1, "00"},           {kIndex3, 32, "1F"},          {kIndex3, 33, "20 00"},
    {kIndex3, 2080, "27 FF"},     {kIndex3, 2081, "28 00 00"},  {kIndex3, 526368, "2F FF FF"},
    {kIndex3, 526369, "30 00 00 00"},                           {kIndex3, 1 << 20, "30 07 F7 DF"},
    {kChunkIndex4, 1, "A0"},      {kChunkIndex4, 16, "AF"},     {kChunkIndex4, 17, "B0 00"},
    {kChunkIndex4, 1040, "B3 FF"}, {kChunkIndex4, 1041, "B4 00 00"},
    {kChunkIndex4, 1050, "B4 00 09"}, {kChunkIndex4, 263184, "B7 FF FF"},
    {kChunkIndex4, 263185, "B8 00 00 00"}, {kChunkIndex4, 1 << 20, "B8 0B FB EF"},
    {kLength2, 1, "00"},          {kLength2, 64, "3F"},         {kLength2, 65, "40 00"},
    {kLength2, 320, "40 FF"},     {kLength2, 321, "60 00 00 00 00"},
    {kLength5, 1, "00"},          {kLength5, 8, "07"},          {kLength5, 9, "08 00"},
    {kLength5, 264, "08 FF"},     {kLength5, 265, "0C 00 00 00 00"},
    {kLength7, 1, "00"},          {kLength7, 2, "01"},          {kLength7, 3, "02 00"},
    {kLength7, 258, "02 FF"},     {kLength7, 259, "03 00 00 00 00"},
    {kSequence, 1, "00"},         {kSequence, 128, "7F"},       {kSequence, 129, "80 00 00"},
};

std::string Encode(const Row& row) {
  std::string out;
  switch (row.form) {
    case kIndex2: PutIndexBit2(out, 0, row.value); break;
    case kIndex3: PutIndexBit3(out, 0, row.value); break;
    case kChunkIndex4: PutIndexBit4(out, 0xA0, row.value); break;
    case kLength2: PutLengthBit2(out, 0, row.value); break;
    case kLength5: PutLengthBit5(out, 0, row.value); break;
    case kLength7: PutLengthBit7(out, 0, row.value); break;
    case kSequence: PutSequenceLength(out, row.value); break;
  }
  return Hex(reinterpret_cast<const unsigned char*>(out.data()), out.size());
}

// A document whose only use of the index is out of its table's range, so the
// reader's message shows the index it decoded.
std::string IndexDocument(const Row& row) {
  switch (row.form) {
    case kIndex3: return std::string("E0 00 00 01 00 ") + row.octets;
    case kIndex2: return std::string("E0 00 00 01 00 7C 00 72 ") + row.octets;
    case kChunkIndex4: return std::string("E0 00 00 01 00 3C 00 72 ") + row.octets;
    default: return "";
  }
}

TEST(FiOctetForms, EveryBoundaryIsWrittenAndReadAsX891LaysItOut) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(std::to_string(row.form) + ": " + std::to_string(row.value));
    EXPECT_EQ(Encode(row), row.octets);
    const std::string document = IndexDocument(row);
    if (document.empty()) continue;
    const wchar_t* table = row.form == kIndex3   ? L"element name"
                           : row.form == kIndex2 ? L"attribute name"
                                                 : L"character chunk";
    const CBinaryData bytes = Octets(document);
    CXmlDocument parsed;
    KORVEL_EXPECT_THROW_MESSAGE(
        parsed.LoadXmlStream(bytes.GetData(), bytes.GetLength()), CKvException,
        L"Failed to parse FastInfoset. Invalid index [" + std::to_wstring(row.value) +
            L"] into the " + table + L" table.");
  }
}

}  // namespace
}  // namespace Korvel::testing
