// SPDX-License-Identifier: MIT
// The JSON reader: the events it sends, its messages with line and position,
// the nesting limit and the JSON path of errors.
#include "json/json_text_reader.h"

#include <string>

#include "json/json_to_xml.h"
#include "test_support.h"
#include "vector_file.h"

namespace Korvel::detail {
namespace {

// Writes the events as a compact trace: { } [ ] for containers, name: for
// names, "s" for strings, numbers as read, T F N for the literals.
class TraceHandler final : public IJsonReaderHandler {
 public:
  std::wstring trace;
  void StartDocument() override { trace += L"<"; }
  void EndDocument() override { trace += L">"; }
  void OnName(const std::wstring& name) override { trace += name + L": "; }
  void OnString(const std::wstring& value) override { trace += L'"' + value + L"\" "; }
  void OnNumber(const std::wstring& value) override { trace += value + L' '; }
  void StartObject() override { trace += L"{ "; }
  void EndObject() override { trace += L"} "; }
  void StartArray() override { trace += L"[ "; }
  void EndArray() override { trace += L"] "; }
  void OnBoolean(bool value) override { trace += value ? L"T " : L"F "; }
  void OnNull() override { trace += L"N "; }
};

std::wstring Trace(std::wstring_view json, bool comments = true, std::wstring root = {},
                   int32_t limit = CJsonTextReader::kDepthLimit) {
  TraceHandler handler;
  CJsonTextReader(handler, nullptr, limit, comments, std::move(root), json).Parse();
  return handler.trace;
}

TEST(JsonTextReader, SendsEventsInDocumentOrder) {
  testing::RunVectorFile("json/reader_events.txt",
                         {{L"events", [](const testing::VectorArgs& a) { return Trace(a[0]); }}});
  EXPECT_EQ(Trace(L"[1]", true, L"r"), L"<{ r: [ 1 ] } >");
  EXPECT_EQ(Trace(L"", true, L"r"), L"<{ r: } >");
}

TEST(JsonTextReader, ReportsEachErrorWithLineAndPositionAndPath) {
  const auto error = [](const testing::VectorArgs& a) -> std::wstring {
    const bool comments = a[0][0] != L'!';
    try {
      Trace(comments ? a[0] : a[0].substr(1), comments);
    } catch (const CKvValidationException& e) {
      return e.GetMessageW();
    }
    return L"no error";
  };
  // The JSON path of the error, innermost name first.
  const auto path = [](const testing::VectorArgs& a) -> std::wstring {
    CJsonReaderDefaultHandler handler;
    try {
      CJsonTextReader(handler, &handler, 100, true, {}, a[0]).Parse();
    } catch (const CKvValidationException& e) {
      return e.GetPath();
    }
    return L"no error";
  };
  testing::RunVectorFile("json/reader_errors.txt", {{L"error", error}, {L"path", path}});
}

TEST(JsonTextReader, LimitsNestingWithoutRecursing) {
  const auto nested = [](int depth, std::wstring_view inner) {
    return std::wstring(depth, L'[') + std::wstring(inner) + std::wstring(depth, L']');
  };
  EXPECT_NO_THROW(Trace(nested(99, L"[]"), true, {}, 100).size());
  KORVEL_EXPECT_THROW_MESSAGE(Trace(nested(99, L"[1]"), true, {}, 100), CKvValidationException,
                              L"JSON exceeded depth limit at line 1, position 101.");
  // The library's own limit is far beyond what a native stack would take.
  const int limit = CJsonTextReader::kDepthLimit;
  EXPECT_NO_THROW(Trace(nested(limit, L""), true, {}));
  EXPECT_THROW(Trace(nested(limit + 1, L""), true, {}), CKvValidationException);
}

}  // namespace
}  // namespace Korvel::detail
