// SPDX-License-Identifier: MIT
// The writers' scope stack, the text writer, and the text streams and files it
// writes to.
#include <korvel/xml_writer.h>

#include <korvel/text_stream.h>
#include <korvel/xml_text_writer.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "test_support.h"
#include "values/utf.h"
#include "xml/output_switches.h"
#include "xml/text_encoder.h"
#include "xml/utf8_buffer.h"

using namespace Korvel;
using namespace Korvel::detail::platform;
using Context = CXmlWriter::CXmlWriterContext;
using Korvel::testing::OpenDescriptors;
using Korvel::testing::Threads;

namespace {

TEST(WriterContext, ChildSharesItsParentsScopeUntilItChangesIt) {
  const CXmlWriter::NamespaceMap documentAliases{{L"urn:p", L"p"}};
  auto* root = new Context(L"r", L"urn:d", L"urn:d", documentAliases);
  EXPECT_FALSE(root->SharesParentScope());
  EXPECT_EQ(root->GetDepth(), 0);

  auto* child = new Context(L"c", L"urn:p", root);
  auto* grandchild = new Context(L"g", L"", child);
  EXPECT_TRUE(child->SharesParentScope());
  EXPECT_EQ(&child->GetAliases(), &root->GetAliases());
  EXPECT_EQ(grandchild->GetDepth(), 2);
  EXPECT_EQ(grandchild->GetParent(), child);

  // The child copies on its first change; the root keeps what it had.
  EXPECT_EQ(child->AllocatePrefix(L"urn:x"), L"AA");
  EXPECT_FALSE(child->SharesParentScope());
  EXPECT_EQ(root->FindPrefix(L"urn:x"), nullptr);
  ASSERT_NE(child->FindPrefix(L"urn:p"), nullptr);
  EXPECT_EQ(*child->FindPrefix(L"urn:p"), L"p");
  EXPECT_EQ(child->GetDefaultNamespace(), L"urn:d");
  // A grandchild created before the change still reads the scope it was given.
  EXPECT_EQ(grandchild->FindPrefix(L"urn:x"), nullptr);

  auto* other = new Context(L"o", L"", child);
  grandchild->DetachParent();
  delete grandchild;
  ASSERT_NE(other->FindPrefix(L"urn:x"), nullptr);
  other->SetDefaultNamespace(L"urn:o");
  EXPECT_TRUE(other->IsUnprefixed(L"urn:o"));
  EXPECT_TRUE(other->IsUnprefixed(L""));
  EXPECT_FALSE(other->IsUnprefixed(L"urn:d"));
  EXPECT_EQ(child->GetDefaultNamespace(), L"urn:d");
  // Deleting the innermost context deletes its ancestors too (checked by the
  // sanitizer build).
  delete other;
}

TEST(WriterContext, PrefixAllocationSkipsPrefixesInScope) {
  CXmlWriter::NamespaceMap aliases{{L"urn:1", L"AA"}, {L"urn:2", L"AC"}};
  Context root(L"r", L"", L"", aliases);
  EXPECT_EQ(root.AllocatePrefix(L"urn:a"), L"AB");
  EXPECT_EQ(root.AllocatePrefix(L"urn:b"), L"AD");
  // Re-allocating for a mapped URI replaces its prefix.
  EXPECT_EQ(root.AllocatePrefix(L"urn:1"), L"AE");
  EXPECT_EQ(root.AllocatePrefix(L"urn:c"), L"AA");
}

TEST(WriterContext, InnerDeclarationsHideOuterOnes) {
  Context* root = new Context(L"r", L"", L"", {{L"urn:1", L"AA"}, {L"urn:2", L"AB"}});
  Context* child = new Context(L"c", L"", root);
  child->AddNamespaceAlias(L"x", L"urn:1");
  // AA names nothing in the child's scope any more.
  EXPECT_EQ(child->AllocatePrefix(L"urn:3"), L"AA");
  Context* grandchild = new Context(L"g", L"", child);
  EXPECT_EQ(*grandchild->FindPrefix(L"urn:1"), L"x");
  EXPECT_EQ(grandchild->AllocatePrefix(L"urn:4"), L"AC");
  const CXmlWriter::NamespaceMap expected{
      {L"urn:1", L"x"}, {L"urn:2", L"AB"}, {L"urn:3", L"AA"}, {L"urn:4", L"AC"}};
  EXPECT_EQ(grandchild->GetAliases(), expected);
  EXPECT_EQ(*root->FindPrefix(L"urn:1"), L"AA");
  delete grandchild;
}

TEST(WriterContext, PrefixSequenceRunsThroughTheAlphabetAndBeyond) {
  Context root(L"r", L"", L"", {});
  std::vector<std::wstring> prefixes;
  for (int i = 0; i < 26 * 26 + 2; ++i) {
    prefixes.push_back(root.AllocatePrefix(L"urn:" + std::to_wstring(i)));
  }
  EXPECT_EQ(prefixes[0], L"AA");
  EXPECT_EQ(prefixes[1], L"AB");
  EXPECT_EQ(prefixes[25], L"AZ");
  EXPECT_EQ(prefixes[26], L"BA");
  EXPECT_EQ(prefixes[26 * 26 - 1], L"ZZ");
  EXPECT_EQ(prefixes[26 * 26], L"AAA");
  EXPECT_EQ(prefixes[26 * 26 + 1], L"AAB");
}

// A writer that records the contexts it is handed, to check the base's stack.
class StackWriter : public CXmlWriter {
 public:
  StackWriter() : CXmlWriter(L"StackWriter") {}
  void WriteComment(const std::wstring&) override {}
  void WriteProcessingInstruction(const std::wstring&) override {}
  void WriteInLineSchema(const std::wstring&) override {}
  void StartElement(const std::wstring& name, const std::wstring& ns) override {
    PushElement(name, ns);
  }
  void WriteText(const std::wstring&, ItemType, bool) override {}
  void EndElement() override { PopElement(); }
  void WriteAttribute(const std::wstring&, const std::wstring&, const std::wstring&,
                      ItemType) override {}
  void WriteXsiType(const std::wstring&, const std::wstring&, ItemType) override {}
  void WriteNil() override {}
};

TEST(XmlWriter, DocumentScopeBeforeTheRootAndElementScopeInside) {
  StackWriter writer;
  EXPECT_EQ(writer.GetDocumentAliases().size(), 1u);
  EXPECT_EQ(writer.GetDocumentAliases().at(CXmlWriter::XML_NAMESPACE), L"xml");
  writer.AddNamespaceAlias(L"a", L"urn:a");
  writer.SetDefaultNamespace(L"urn:d");
  writer.StartElement(L"r", L"urn:d");
  Context* root = writer.GetCurrentElement();
  EXPECT_EQ(root->GetDefaultNamespace(), L"urn:d");
  ASSERT_NE(root->FindPrefix(L"urn:a"), nullptr);

  writer.StartElement(L"c", L"");
  writer.SetDefaultNamespace(L"urn:inner");
  writer.AddNamespaceAlias(L"b", L"urn:b");
  Context* child = writer.GetCurrentElement();
  EXPECT_EQ(child->GetDefaultNamespace(), L"urn:inner");
  EXPECT_EQ(root->GetDefaultNamespace(), L"urn:d");
  EXPECT_EQ(root->FindPrefix(L"urn:b"), nullptr);
  // Inside an element nothing reaches the document's scope.
  EXPECT_EQ(writer.GetDocumentDefaultNamespace(), L"urn:d");
  EXPECT_EQ(writer.GetDocumentAliases().count(L"urn:b"), 0u);

  writer.EndElement();
  EXPECT_EQ(writer.GetCurrentElement(), root);
  EXPECT_EQ(root->GetChildCount(), 0);  // counting children is the writers' business
  writer.StartElement(L"d", L"");
  // A reused context starts afresh, sharing its new parent's scope.
  Context* next = writer.GetCurrentElement();
  EXPECT_TRUE(next->SharesParentScope());
  EXPECT_EQ(next->GetDefaultNamespace(), L"urn:d");
  EXPECT_EQ(next->GetName(), L"d");
  EXPECT_EQ(next->GetWriterState(), 0);
  EXPECT_TRUE(next->IsStartTagOpen());
  writer.EndElement();
  KORVEL_EXPECT_THROW_MESSAGE(writer.Close(), CKvException, L"An Element has not been closed.");
  writer.EndElement();
  writer.Close();
  KORVEL_EXPECT_THROW_MESSAGE(writer.EndElement(), CKvException, L"No element is open.");
}

// The writer's scripts are in tests/data/xml/text_writer.txt; these need bytes
// or sizes no script shows.
class TextWriter : public ::testing::Test {
 protected:
  TextWriter() : m_writer(m_stream) { m_writer.Open(); }

  std::wstring Text() { return m_stream.GetAllText(); }

  CTextStream m_stream{XmlEncoding_UTF8};
  CXmlTextWriter m_writer;
};

TEST_F(TextWriter, ControlCharactersAndLoneSurrogatesNeverBreakTheWriter) {
  m_writer.SetFormatted(false);
  std::wstring odd(L"a\0\x1", 3);
  for (int c : {0xD800, int{'b'}, 0xDC00, 0x110000, -1}) odd += static_cast<wchar_t>(c);
  m_writer.StartElement(L"r", L"");
  m_writer.WriteAttribute(L"a", L"", odd, it_string);
  m_writer.WriteText(odd, it_string, false);
  m_writer.EndElement();
  EXPECT_EQ(Text(), L"<r a=\"" + odd + L"\">" + odd + L"</r>");
  // Bytes replace what no encoding can carry.
  const std::string utf8 = Korvel::testing::BytesOf(m_stream.GetBytes());
  const std::string fffd = "\xEF\xBF\xBD";
  const std::string field = std::string("a\0\x01", 3) + fffd + "b" + fffd + fffd + fffd;
  EXPECT_EQ(utf8, "<r a=\"" + field + "\">" + field + "</r>");
}

TEST_F(TextWriter, DeepDocumentsAreWrittenAndDestroyedWithoutRecursion) {
  {
    CTextStream stream;
    CXmlTextWriter writer(stream);
    writer.SetFormatted(false);
    for (int i = 0; i < 200000; ++i) writer.StartElement(L"e", L"urn:x");
    EXPECT_EQ(writer.GetCurrentElement()->GetDepth(), 200000 - 1);
    // Destroyed with every element still open.
  }
  constexpr int kDepth = 20000;
  CTextStream stream;
  CXmlTextWriter writer(stream);
  writer.SetFormatted(false);
  for (int i = 0; i < kDepth; ++i) writer.StartElement(L"e", L"");
  for (int i = 0; i < kDepth; ++i) writer.EndElement();
  writer.Close();
  const std::wstring& text = stream.GetAllText();
  EXPECT_EQ(text.size(), size_t{kDepth} * 7 - 3);
  EXPECT_EQ(text.substr(text.size() - 12), L"</e></e></e>");
}

// A second parser (xmllint) must accept what the text writer produces.
constexpr wchar_t kXsi[] = L"http://www.w3.org/2001/XMLSchema-instance";

// A document that uses every operation of the writer where it may stand.
void WriteRichDocument(CXmlTextWriter& writer, int orders) {
  writer.WriteXmlDeclaration();
  writer.WriteProcessingInstruction(L"<?xml-stylesheet type=\"text/xsl\" href=\"a&amp;b.xsl\"?>");
  writer.WriteComment(L"made by a test: a < b & \"c\"");
  writer.AddNamespaceAlias(L"po", L"urn:po");
  writer.AddNamespaceAlias(L"xsi", kXsi);
  writer.SetDefaultNamespace(L"urn:default");
  writer.StartElement(L"orders", L"urn:default");
  writer.WriteAttribute(L"lang", L"http://www.w3.org/XML/1998/namespace", L"en", it_string);
  writer.WriteAttribute(L"note", L"", L"a\"b'c<d>e&f\tg\nh\ri", it_string);
  writer.WriteInLineSchema(L"xsi:noNamespaceSchemaLocation=\"orders.xsd\"");
  for (int i = 0; i < orders; ++i) {
    writer.StartElement(L"order", L"urn:po");
    writer.WriteXsiType(L"urn:types", L"OrderType", it_none);
    writer.WriteAttribute(L"id", L"urn:attrs", std::to_wstring(i), it_i4);
    writer.StartElement(L"text", L"urn:default");
    writer.WriteText(L"x < y && \"z\"\r\nnext line \u00e9\u4e2d\U0001F600", it_string, false);
    writer.EndElement();
    writer.StartElement(L"raw", L"urn:new");
    writer.WriteText(L"<![CDATA[<not> & markup]]>", it_string, false);
    writer.EndElement();
    writer.StartElement(L"missing", L"");
    writer.WriteNil();
    writer.EndElement();
    writer.WriteComment(L"between");
    writer.StartElement(L"empty", L"urn:po");
    writer.WriteText(L"", it_string, false);
    writer.EndElement();
    writer.EndElement();
  }
  writer.EndElement();
  writer.Close();
}

class WellFormed : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
      FAIL() << "xmllint is not installed: make deps installs it";
    }
  }
  // xmllint's complaints about the file, empty when it is well-formed.
  std::string Lint(const std::string& name) {
    const std::string path = m_temp.Path(name);
    if (std::system(("xmllint --noout '" + path + "' 2>'" + path + ".log'").c_str()) == 0)
      return "";
    return m_temp.Read(name + ".log") + " (in " + name + ")";
  }

  const Korvel::testing::TempDir m_temp;
};

TEST_F(WellFormed, DocumentsInEveryLayoutAndEncoding) {
  m_temp.Write("broken.xml", "<a><b></a>");
  ASSERT_NE(Lint("broken.xml"), "") << "the check itself must catch a broken document";
  struct Row {
    const char* name;
    XmlEncoding encoding;
    bool formatted;
    EOLType eol;
    int orders;
  };
  const Row rows[] = {
      {"formatted-utf8.xml", XmlEncoding_UTF8, true, EOL_LF, 3},
      {"compact-utf8.xml", XmlEncoding_UTF8, false, EOL_LF, 3},
      {"crlf-utf8.xml", XmlEncoding_UTF8, true, EOL_CRLF, 3},
      {"formatted-utf16.xml", XmlEncoding_UTF16, true, EOL_LF, 3},
      {"undeclared-utf16.xml", XmlEncoding_UTF16Undeclared, false, EOL_CRLF, 3},
      {"large.xml", XmlEncoding_UTF8, true, EOL_LF, 1000},  // many flushes
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CFileTextStream stream(m_temp.WidePath(row.name), row.encoding);
    CXmlTextWriter writer(stream);
    writer.Open();
    writer.SetFormatted(row.formatted);
    writer.SetEOLType(row.eol);
    WriteRichDocument(writer, row.orders);
    EXPECT_GT(stream.GetBytesWritten(), row.orders * 250u);
    EXPECT_EQ(Lint(row.name), "");
  }
}

// A document of a few chunks with markup, escapes and text beyond ASCII, the
// same on every writer it is written to.
void WriteSample(CXmlTextWriter& writer, int items) {
  writer.WriteXmlDeclaration();
  writer.AddNamespaceAlias(L"po", L"urn:po");
  writer.StartElement(L"orders", L"urn:po");
  for (int i = 0; i < items; ++i) {
    writer.StartElement(L"item", L"urn:po");
    writer.WriteAttribute(L"n", L"", std::to_wstring(i), it_i4);
    writer.StartElement(L"name", L"urn:other");
    writer.WriteText(L"Caf\u00e9 & \u4e2d\U0001F600 <" + std::to_wstring(i) + L">", it_string,
                     false);
    writer.EndElement();
    writer.EndElement();
  }
  writer.EndElement();
}

class FileTextStream : public ::testing::Test {
 protected:
  void TearDown() override { ClearInjectedFileFailures(); }

  const Korvel::testing::TempDir m_temp;
  const std::wstring m_path = m_temp.WidePath("out.xml");
  const int m_descriptors = OpenDescriptors();
  const int m_threads = Threads();
};

TEST_F(FileTextStream, FileHoldsTheByteOrderMarkAndTheSameBytesAsMemory) {
  const std::pair<XmlEncoding, std::string> rows[] = {{XmlEncoding_UTF8, ""},
                                                      {XmlEncoding_UTF16, "\xFF\xFE"},
                                                      {XmlEncoding_UTF16Undeclared, "\xFF\xFE"}};
  for (const auto& [encoding, byteOrderMark] : rows) {
    for (const bool formatted : {true, false}) {
      SCOPED_TRACE(::testing::Message() << encoding << (formatted ? " formatted" : ""));
      CTextStream memory(encoding);
      CXmlTextWriter memoryWriter(memory);
      memoryWriter.SetFormatted(formatted);
      memoryWriter.Open();
      WriteSample(memoryWriter, 4000);
      memoryWriter.Close();
      // Several writes, whatever the encoding.
      ASSERT_GT(memory.GetBuffer().GetLength(), 3 * 65536u);

      CFileTextStream file(m_path, encoding);
      CXmlTextWriter fileWriter(file);
      fileWriter.SetFormatted(formatted);
      fileWriter.Open();
      WriteSample(fileWriter, 4000);
      // Handed to the file while produced: the text never piles up in memory.
      EXPECT_LT(file.GetBuffer().GetLength(), 4096u);
      fileWriter.Close();

      const std::string expected = byteOrderMark + Korvel::testing::BytesOf(memory.GetBytes());
      EXPECT_EQ(m_temp.Read("out.xml"), expected);
      EXPECT_EQ(file.GetBytesWritten(), expected.size());
    }
  }
}

// A high surrogate at the end of a flush waits for the next piece: a pair
// stays one character, anything else (or the end) makes it U+FFFD.
TEST_F(FileTextStream, SurrogateSplitByAFlush) {
  const wchar_t high = static_cast<wchar_t>(0xD83D);
  const std::tuple<XmlEncoding, std::wstring, std::wstring, std::string> rows[] = {
      {XmlEncoding_UTF8, std::wstring(4095, L'a') + high, {static_cast<wchar_t>(0xDE00)},
       std::string(4095, 'a') + "\xF0\x9F\x98\x80"},
      {XmlEncoding_UTF8, {L'a', high}, L"c", "a\xEF\xBF\xBD" "c"},
      {XmlEncoding_UTF8, {high}, L"", "\xEF\xBF\xBD"},
      {XmlEncoding_UTF16, {high}, L"", std::string("\xFF\xFE\xFD\xFF", 4)},
  };
  m_temp.Write("out.xml", std::string(10000, 'x'));  // replaced
  for (const auto& [encoding, before, after, expected] : rows) {
    SCOPED_TRACE(::testing::PrintToString(after));
    CFileTextStream file(m_path, encoding);
    file.Open();
    file.GetBuffer().Append(before);
    file.Flush();
    file.GetBuffer().Append(after);
    file.Close();
    EXPECT_EQ(m_temp.Read("out.xml"), expected);
    file.Close();  // closing twice is harmless
  }
}

TEST_F(FileTextStream, OpenFailuresCarryTheSystemErrorAndLeakNothing) {
  const std::wstring missing = m_temp.WidePath("missing/out.xml");
  CFileTextStream file(missing, XmlEncoding_UTF8);
  KORVEL_EXPECT_THROW_MESSAGE(
      file.Open(), CKvException,
      L"Failed to write data to the file [" + missing + L"] error [0x00000002]");
  file.Close();  // nothing was buffered, so closing is quiet

  CFileTextStream overlapped(m_path, XmlEncoding_UTF16);
  InjectFileFailure(FileOp::Overlap, EAGAIN);
  KORVEL_EXPECT_THROW_MESSAGE(
      overlapped.Open(), CKvException,
      L"Failed to create event for file overlap [" + m_path + L"] error [0x0000000B]");
  EXPECT_EQ(OpenDescriptors(), m_descriptors);
  EXPECT_EQ(Threads(), m_threads);
}

TEST_F(FileTextStream, FailedWriteClosesTheFileAndStopsTheStream) {
  CFileTextStream file(m_path, XmlEncoding_UTF8);
  CXmlTextWriter writer(file);
  writer.Open();
  EXPECT_EQ(Threads(), m_threads + 1);
  InjectFileFailure(FileOp::Write, ENOSPC);
  // The first write fails; the writer learns it when it starts the next one.
  KORVEL_EXPECT_THROW_MESSAGE(WriteSample(writer, 3000), CKvException,
                              L"Failed to write data to the file. Error [0x0000001C]");
  EXPECT_EQ(OpenDescriptors(), m_descriptors);
  EXPECT_EQ(Threads(), m_threads);
  file.Close();
}

TEST_F(FileTextStream, FlushFailures) {
  struct Row {
    XmlEncoding encoding;
    int injected;  // errno of the first write, 0 for none
    bool open;
    const wchar_t* message;
  };
  const Row rows[] = {
      // The failed byte-order mark is reported by the first flush.
      {XmlEncoding_UTF16, EIO, true, L"Failed to write data to the file. Error [0x00000005]"},
      {XmlEncoding_None, 0, true, L"Unknown Encoding, select UTF-8 (contact our support team)"},
      {XmlEncoding_UTF8, 0, false, L"Failed to write data to the file. Error [0x00000009]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.encoding);
    CFileTextStream file(m_path, row.encoding);
    if (row.injected != 0) InjectFileFailure(FileOp::Write, row.injected);
    if (row.open) {
      file.Open();
    } else {
      file.Flush();  // nothing buffered
    }
    file.GetBuffer().Append(L"<r/>");
    if (row.open) {
      KORVEL_EXPECT_THROW_MESSAGE(file.Close(), CKvException, row.message);
      EXPECT_EQ(m_temp.Read("out.xml"), "");
    } else {
      KORVEL_EXPECT_THROW_MESSAGE(file.Flush(), CKvException, row.message);
    }
  }
}

TEST_F(FileTextStream, DestroyingWithAWriteInFlightWaitsAndCloses) {
  {
    CFileTextStream file(m_path, XmlEncoding_UTF8);
    file.Open();
    file.GetBuffer().Append(std::wstring(100000, L'z'));
    file.Flush();
  }
  EXPECT_EQ(OpenDescriptors(), m_descriptors);
  EXPECT_EQ(Threads(), m_threads);
  EXPECT_EQ(m_temp.Read("out.xml"), std::string(100000, 'z'));
}

constexpr size_t kChunk = CStringBuffer::CHUNK_SIZE;

using Korvel::testing::BytesOf;

std::wstring Pattern(size_t n) {
  std::wstring text(n, L'\0');
  for (size_t i = 0; i < n; ++i) text[i] = static_cast<wchar_t>(L'a' + i % 26);
  return text;
}

TEST(StringBuffer, AppendingFillsChunksWithoutMovingWrittenText) {
  CStringBuffer buffer;
  buffer.Append(Pattern(kChunk - 1));
  const wchar_t* first = buffer.GetChunk(0).data();
  buffer.Append(L'#');
  EXPECT_EQ(buffer.GetChunkCount(), 1u);
  buffer.Append(L"xy", 2);
  ASSERT_EQ(buffer.GetChunkCount(), 2u);
  EXPECT_EQ(buffer.GetChunk(0).data(), first);
  EXPECT_EQ(buffer.GetChunk(0).size(), kChunk);
  EXPECT_EQ(buffer.GetChunk(1), L"xy");

  // One large append spreads over as many chunks as it needs.
  const std::wstring big = Pattern(3 * kChunk + 5);
  buffer.Append(big);
  EXPECT_EQ(buffer.GetChunkCount(), 5u);
  EXPECT_EQ(buffer.GetChunk(0).data(), first);
  EXPECT_EQ(buffer.GetLength(), kChunk + 2 + big.size());

  const std::wstring expected = Pattern(kChunk - 1) + L"#xy" + big;
  EXPECT_EQ(buffer.GetAllText(), expected);
  EXPECT_EQ(buffer.GetChunkCount(), 1u);
  // The joined text stays; later text goes into a new chunk after it.
  buffer.Append(L"!");
  EXPECT_EQ(buffer.GetChunkCount(), 2u);
  EXPECT_EQ(buffer.GetAllText(), expected + L"!");
}

TEST(StringBuffer, LargeTextStaysInPlaceAcrossAllocationStrategies) {
  // Past the first chunks, storage comes from large blocks; nothing written
  // moves, whichever way its chunk was allocated.
  CStringBuffer buffer;
  const std::wstring piece = Pattern(1000);
  std::vector<const wchar_t*> starts;
  std::wstring expected;
  for (int i = 0; i < 600; ++i) {
    buffer.Append(piece);
    expected += piece;
    while (starts.size() < buffer.GetChunkCount()) {
      starts.push_back(buffer.GetChunk(starts.size()).data());
    }
  }
  ASSERT_GT(buffer.GetChunkCount(), 140u);
  for (size_t i = 0; i < starts.size(); ++i) EXPECT_EQ(buffer.GetChunk(i).data(), starts[i]);
  EXPECT_EQ(buffer.GetAllText(), expected);
  buffer.Clear();
  buffer.Append(expected);
  buffer.Append(L'!');
  EXPECT_EQ(buffer.GetLength(), expected.size() + 1);
  EXPECT_EQ(buffer.GetAllText(), expected + L"!");
}

// The strict converters, tested on their own, are the reference here.
TEST(TextStream, GetBytesEncodesEveryChunk) {
  const std::wstring text = Pattern(kChunk - 2) + L"\u00e9\u4e2d\U0001F600" + Pattern(100);
  const std::string utf16 = detail::WideToUtf16Le(text);
  const std::pair<XmlEncoding, std::string> rows[] = {{XmlEncoding_UTF8, detail::WideToUtf8(text)},
                                                      {XmlEncoding_UTF16, utf16},
                                                      {XmlEncoding_UTF16Undeclared, utf16}};
  for (const auto& [encoding, expected] : rows) {
    SCOPED_TRACE(encoding);
    ASSERT_FALSE(expected.empty());
    CTextStream stream(encoding);
    stream.GetBuffer().Append(text);
    ASSERT_EQ(stream.GetBuffer().GetChunkCount(), 2u);
    EXPECT_EQ(BytesOf(stream.GetBytes()), expected);
    EXPECT_EQ(stream.GetAllText(), text);
    // Joined or not, the bytes are the same.
    EXPECT_EQ(BytesOf(stream.GetBytes()), expected);
  }
}

TEST(TextStream, NoEncodingHasNoBytesAndOnlyOpenClears) {
  for (int encoding : {0, 4, -1}) {
    SCOPED_TRACE(encoding);
    CTextStream stream(static_cast<XmlEncoding>(encoding));
    stream.GetBuffer().Append(L"abc");
    KORVEL_EXPECT_THROW_MESSAGE(stream.GetBytes(), CKvException,
                                L"Unknown Encoding, select UTF-8 (contact our support team)");
    EXPECT_EQ(stream.GetAllText(), L"abc");
  }
  CTextStream stream(XmlEncoding_UTF8);
  EXPECT_EQ(stream.GetBytes().GetLength(), 0u);
  stream.GetBuffer().Append(L"abc");
  stream.Flush();
  stream.Close();
  EXPECT_EQ(stream.GetAllText(), L"abc");
  stream.Open();
  EXPECT_EQ(stream.GetAllText(), L"");
}

TEST(TextEncoder, SurrogatePairsJoinAcrossChunksAndLoneOnesAreReplaced) {
  const wchar_t high = static_cast<wchar_t>(0xD83D);
  const wchar_t low = static_cast<wchar_t>(0xDE00);
  const std::wstring pad(kChunk - 1, L'a');
  // What the text becomes: a pair is one character, anything else U+FFFD.
  const std::tuple<const char*, std::wstring, std::wstring> rows[] = {
      {"pair inside a chunk", {L'x', high, low}, L"x\U0001F600"},
      {"pair split by the chunk boundary", pad + high + low, pad + L"\U0001F600"},
      {"pair split between encoding steps", std::wstring(16383, L'a') + high + low,
       std::wstring(16383, L'a') + L"\U0001F600"},
      {"lone high at the end", {L'x', high}, L"x\uFFFD"},
      {"lone high at a chunk end", pad + high + L'b', pad + L"\uFFFDb"},
      {"lone low", {low, L'y'}, L"\uFFFDy"},
      {"reversed pair", {low, high}, L"\uFFFD\uFFFD"},
      {"beyond U+10FFFF", {static_cast<wchar_t>(0x110000)}, L"\uFFFD"},
  };
  for (const auto& [name, text, clean] : rows) {
    SCOPED_TRACE(name);
    CStringBuffer buffer;
    buffer.Append(text);
    EXPECT_EQ(BytesOf(detail::EncodeText(buffer, XmlEncoding_UTF8)), detail::WideToUtf8(clean));
    EXPECT_EQ(BytesOf(detail::EncodeText(buffer, XmlEncoding_UTF16)), detail::WideToUtf16Le(clean));
    // Writers in UTF-8 put text in pieces; a pair split between two joins.
    for (const size_t split : {size_t{0}, size_t{1}, text.size() - 1}) {
      detail::Utf8Buffer bytes;
      bytes.Put(std::wstring_view(text).substr(0, split));
      bytes.Put(std::wstring_view(text).substr(split));
      EXPECT_EQ(BytesOf(bytes.Take()), detail::WideToUtf8(clean)) << split;
    }
  }
  detail::Utf8Buffer bytes;
  bytes.Put(std::wstring{L'x', high});
  bytes.PutAscii('<');
  EXPECT_EQ(BytesOf(bytes.Take()), "x\xEF\xBF\xBD<");
}

}  // namespace
