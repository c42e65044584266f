// SPDX-License-Identifier: MIT
#include "fastinfoset/octet_forms.h"

#include <korvel/fast_infoset_binary_data.h>

#include <string>

#include "fastinfoset/fi_test_support.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

using namespace detail::fi;

std::string Encode(const std::string& form, uint32_t value) {
  std::string out;
  if (form == "index2") PutIndexBit2(out, 0, value);
  if (form == "index3") PutIndexBit3(out, 0, value);
  if (form == "chunk4") PutIndexBit4(out, 0xA0, value);
  if (form == "length2") PutLengthBit2(out, 0, value);
  if (form == "length5") PutLengthBit5(out, 0, value);
  if (form == "length7") PutLengthBit7(out, 0, value);
  if (form == "sequence") PutSequenceLength(out, value);
  return Hex(reinterpret_cast<const unsigned char*>(out.data()), out.size());
}

// Documents whose only use of an index is out of its table's range, so that
// the reader's message shows the index it decoded.
const struct {
  const char* form;
  const char* document;
  const wchar_t* table;
} kIndexDocuments[] = {
    {"index3", "E0 00 00 01 00 ", L"element name"},
    {"index2", "E0 00 00 01 00 7C 00 72 ", L"attribute name"},
    {"chunk4", "E0 00 00 01 00 3C 00 72 ", L"character chunk"},
};

TEST(FiOctetForms, EveryBoundaryIsWrittenAndReadAsX891LaysItOut) {
  const auto form = [](const VectorArgs& a) {
    const std::string name = detail::WideToUtf8(a[0]);
    const std::string octets = Encode(name, static_cast<uint32_t>(std::stoul(a[1])));
    for (const auto& index : kIndexDocuments) {
      if (name != index.form) continue;
      const CBinaryData bytes = Octets(index.document + octets);
      CXmlDocument parsed;
      KORVEL_EXPECT_THROW_MESSAGE(parsed.LoadXmlStream(bytes.GetData(), bytes.GetLength()),
                                  CKvException,
                                  L"Failed to parse FastInfoset. Invalid index [" + a[1] +
                                      L"] into the " + index.table + L" table.");
    }
    return Wide(octets);
  };
  RunVectors("octet_forms.txt", {{L"form", form}});
}

TEST(FastInfosetBinaryData, EveryAlgorithmBothWaysAndItsMessages) {
  const auto algorithm = [](const VectorArgs& a) {
    return static_cast<uint32_t>(std::stoul(a[0]));
  };
  RunVectors("algorithms.txt", {{L"decode",
                                 [&](const VectorArgs& a) {
                                   const CBinaryData octets = Octets(detail::WideToUtf8(a[1]));
                                   return CFastInfosetBinaryData(octets).GetAsString(algorithm(a));
                                 }},
                                {L"encode", [&](const VectorArgs& a) {
                                   CFastInfosetBinaryData data;
                                   data.SetAsEncodedString(algorithm(a), a[1].c_str());
                                   return Wide(Hex(data));
                                 }}});
}

}  // namespace
}  // namespace Korvel::testing
