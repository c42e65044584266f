// SPDX-License-Identifier: MIT
#include <korvel/object_base.h>

#include <filesystem>
#include <functional>
#include <string>

#include "binding/test_objects.h"
#include "test_support.h"
#include "values/utf.h"

namespace Korvel::testing {
namespace {

const CSerializationContext& Defaults() { return CSerializationContext::GetDefaultContext(); }
const wchar_t kName[] = L"Ann \u00e9\U0001F600";

// What an entry point does: "ok", or the message it throws.
std::wstring Outcome(const std::function<void()>& call) {
  try {
    call();
    return L"ok";
  } catch (const CKvException& e) {
    return e.GetMessageW();
  }
}

TEST(ObjectBaseUtf8, FormsAgreeWithWideForms) {
  CPerson ann;
  ann.name = kName;
  ann.id = L"7";
  const std::string text = ann.ToXmlUtf8(false, true, EOL_LF, Defaults());
  EXPECT_EQ(text, detail::WideToUtf8(ann.ToXml(false, true, EOL_LF, Defaults())));
  EXPECT_EQ(ann.ToXmlUtf8(true, false, EOL_LF, Defaults()),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" +
                ann.ToXmlUtf8(false, false, EOL_LF, Defaults()));
  CPerson read;
  read.FromXml(text, Defaults());
  EXPECT_EQ(read.name, kName);

  TempDir dir;
  const std::string name = dir.Path("\xC3\xA9 \xF0\x9F\x98\x80.xml");
  const std::wstring wideName = detail::Utf8ToWide(name);
  ann.ToXmlFile(std::filesystem::path(name), true, true, XmlEncoding_UTF16, EOL_LF, Defaults(),
                ct_gzip);
  const std::string written = dir.Read("\xC3\xA9 \xF0\x9F\x98\x80.xml");
  ann.ToXmlFile(wideName.c_str(), true, true, XmlEncoding_UTF16, EOL_LF, Defaults(), ct_gzip);
  EXPECT_EQ(dir.Read("\xC3\xA9 \xF0\x9F\x98\x80.xml"), written);
  read.name.clear();
  read.FromXmlFile(std::filesystem::path(name), Defaults());
  EXPECT_EQ(read.name, kName);

  // Whatever the wide JSON and Fast Infoset forms do, the others do the same.
  const std::string json = "{\"person\":{\"name\":\"\xC3\xA9\"}}";
  EXPECT_EQ(Outcome([&] { read.FromJson(json, Defaults()); }),
            Outcome([&] { read.FromJson(detail::Utf8ToWide(json).c_str(), Defaults()); }));
  EXPECT_EQ(Outcome([&] { read.FromJsonFile(std::filesystem::path(name), Defaults()); }),
            Outcome([&] { read.FromJsonFile(wideName.c_str(), Defaults()); }));
  EXPECT_EQ(Outcome([&] { ann.ToJsonUtf8(false, EOL_LF, Defaults()); }),
            Outcome([&] { ann.ToJson(false, EOL_LF, Defaults()); }));
  const std::string other = dir.Path("\xE2\x82\xAC");
  EXPECT_EQ(Outcome([&] {
              ann.ToFastInfosetFile(std::filesystem::path(other), FInfoDecl_None, Defaults(),
                                    ct_none);
            }),
            Outcome([&] {
              ann.ToFastInfosetFile(detail::Utf8ToWide(other).c_str(), FInfoDecl_None, Defaults(),
                                    ct_none);
            }));
}

TEST(ObjectBaseUtf8, MalformedArgumentsFailBeforeAnythingHappens) {
  CPerson person;
  TempDir dir;
  const std::string bad = dir.Path("\xFF.xml");
  KORVEL_EXPECT_THROW_MESSAGE(
      person.ToXmlFile(std::filesystem::path(bad), false, false, XmlEncoding_UTF8, EOL_LF,
                       Defaults(), ct_none),
      CKvInvalidParamException,
      L"Invalid UTF-8 in the file name at byte " + std::to_wstring(bad.size() - 5) + L".");
  EXPECT_FALSE(std::filesystem::exists(bad));
  KORVEL_EXPECT_THROW_MESSAGE(
      person.FromXml(std::string("<p:person xmlns:p='urn:p'>\xC3"), Defaults()),
      CKvInvalidParamException, L"Invalid UTF-8 in the text at byte 26.");
  KORVEL_EXPECT_THROW_MESSAGE(person.FromJson(std::string("{\"a\":\"\xE2\x82\"}"), Defaults()),
                              CKvInvalidParamException, L"Invalid UTF-8 in the text at byte 6.");
}

}  // namespace
}  // namespace Korvel::testing
