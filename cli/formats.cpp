// SPDX-License-Identifier: MIT
// Telling formats apart, reading input, and choosing and driving a writer.
#include "formats.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include <korvel/errors.h>
#include <korvel/fast_infoset_writer.h>
#include <korvel/json_text_writer.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>
#include <korvel/xml_text_writer.h>

#include "command.h"
#include "progress.h"
#include "text.h"
#include "tree_writer.h"

namespace korvel_cli {

namespace {

using namespace Korvel;

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

[[noreturn]] void ThrowFileError(const char* action, const Location& location, bool output) {
  throw FileError("cannot " + std::string(action) + " " + location.Name(output) + ": " +
                  std::strerror(errno));
}

// Closes what it opened; standard streams stay open.
struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file != stdin && file != stdout) std::fclose(file);
  }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

void WriteBytes(const Location& output, const unsigned char* data, size_t length) {
  errno = 0;
  FileHandle file(output.IsStandardStream() ? stdout : std::fopen(output.path.c_str(), "wb"));
  if (!file) ThrowFileError("create", output, true);
  if (length != 0 && std::fwrite(data, 1, length, file.get()) != length) {
    ThrowFileError("write", output, true);
  }
  if (std::fflush(file.get()) != 0) ThrowFileError("write", output, true);
  if (file.get() != stdout && std::fclose(file.release()) != 0) {
    ThrowFileError("write", output, true);
  }
}

// The writer for a text format, set up from the options.
std::unique_ptr<CXmlWriter> TextWriter(Format format, CTextStream& stream,
                                       const OutputOptions& options) {
  if (format == Format::kJson) {
    auto writer = std::make_unique<CJsonTextWriter>(stream);
    writer->SetFormatted(options.formatted);
    writer->SetEOLType(options.eol);
    writer->SetIndentChars(options.indent);
    writer->SetSupportRoundtrip(options.roundTrip);
    return writer;
  }
  auto writer = std::make_unique<CXmlTextWriter>(stream);
  writer->SetFormatted(options.formatted);
  writer->SetEOLType(options.eol);
  writer->SetIndentChars(options.indent);
  return writer;
}

void WriteText(const TreeWriter& tree, Format format, CTextStream& stream,
               const OutputOptions& options, Progress* progress) {
  std::unique_ptr<CXmlWriter> writer = TextWriter(format, stream, options);
  writer->Open();
  if (format == Format::kJson) {
    auto& json = static_cast<CJsonTextWriter&>(*writer);
    json.WriteDocumentStart();
    tree.Write(json, progress);
    json.WriteDocumentEnd();
  } else {
    auto& xml = static_cast<CXmlTextWriter&>(*writer);
    if (options.declaration) xml.WriteXmlDeclaration();
    tree.Write(xml, progress);
  }
  writer->Close();
}

CBinaryData EncodeFastInfoset(const TreeWriter& tree, const OutputOptions& options,
                              Progress* progress) {
  CBinaryData octets;
  CFastInfosetWriter writer(octets, options.fastInfoset);
  writer.WriteHeader(FInfoDecl_None);
  tree.Write(writer, progress);
  writer.Close();
  return octets;
}

XmlEncoding TextEncoding(Format format, const OutputOptions& options) {
  return format == Format::kJson ? XmlEncoding_UTF8 : options.encoding;
}

}  // namespace

const char* FormatName(Format format) {
  switch (format) {
    case Format::kJson:
      return "JSON";
    case Format::kFastInfoset:
      return "Fast Infoset";
    case Format::kXml:
      break;
  }
  return "XML";
}

Format ParseFormat(const std::string& name, const char* option) {
  if (name == "xml") return Format::kXml;
  if (name == "json") return Format::kJson;
  if (name == "fi") return Format::kFastInfoset;
  throw UsageError("option '--" + std::string(option) + "' takes xml, json or fi, not '" + name +
                   "'");
}

std::string Location::Name(bool output) const {
  if (IsStandardStream()) return output ? "standard output" : "standard input";
  return "'" + path + "'";
}

Location Locate(const std::string& path) {
  Location location{path, std::nullopt, false};
  std::string_view name = path;
  if (EndsWith(name, ".gz")) {
    location.gzip = true;
    name.remove_suffix(3);
  }
  if (EndsWith(name, ".xml")) location.format = Format::kXml;
  if (EndsWith(name, ".json")) location.format = Format::kJson;
  if (EndsWith(name, ".fi")) location.format = Format::kFastInfoset;
  return location;
}

std::string ReadInput(const Location& input, bool quiet) {
  errno = 0;
  FileHandle file(input.IsStandardStream() ? stdin : std::fopen(input.path.c_str(), "rb"));
  if (!file) ThrowFileError("open", input, false);
  std::string bytes;
  long size = -1;
  if (file.get() != stdin && std::fseek(file.get(), 0, SEEK_END) == 0) {
    size = std::ftell(file.get());
    std::rewind(file.get());
  }
  const uint64_t total = size > 0 ? static_cast<uint64_t>(size) : 0;
  Progress progress("reading", total, total, quiet);
  // Read into place: sized once for a file, doubled as needed for a pipe.
  constexpr size_t kChunk = 4 << 20;
  bytes.resize(size > 0 ? static_cast<size_t>(size) : kChunk);
  size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      // Full: grow only when there is more, so a file's buffer stays its size.
      const int next = std::fgetc(file.get());
      if (next == EOF) break;
      bytes.resize(bytes.size() * 2);
      bytes[used++] = static_cast<char>(next);
    }
    const size_t want = std::min(kChunk, bytes.size() - used);
    const size_t got = std::fread(bytes.data() + used, 1, want, file.get());
    used += got;
    progress.Update(used);
    if (got < want) break;
  }
  bytes.resize(used);
  if (std::ferror(file.get())) ThrowFileError("read", input, false);
  return bytes;
}

Format SniffFormat(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  const size_t first = bytes.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && (bytes[first] == '{' || bytes[first] == '[')) {
    return Format::kJson;
  }
  // UTF-16 JSON: the loader tells it by its zero bytes.
  if (bytes.size() >= 2 && (bytes.substr(0, 2) == std::string_view("{\0", 2) ||
                            bytes.substr(0, 2) == std::string_view("\0{", 2) ||
                            bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
    const size_t brace = bytes.find('{');
    const size_t angle = bytes.find('<');
    if (brace != std::string_view::npos && (angle == std::string_view::npos || brace < angle)) {
      return Format::kJson;
    }
  }
  return Format::kXml;
}

void InputOptions::Apply(const Arguments& arguments) {
  static const std::string kFull = "full";
  CJsonContext& json = context.GetJsonContext();
  const std::string& level = arguments.Value("json-roundtrip", kFull);
  if (level == "none") {
    json.SetSupportRoundtrip(JsonRoundTrip_None);
  } else if (level == "partial") {
    json.SetSupportRoundtrip(JsonRoundTrip_Partial);
  } else if (level == "full") {
    json.SetSupportRoundtrip(JsonRoundTrip_Full);
  } else {
    throw UsageError("option '--json-roundtrip' takes none, partial or full, not '" + level + "'");
  }
  if (arguments.Has("json-root")) {
    json.SetRootElementName(Widen(arguments.Value("json-root", {})).c_str());
  }
}

void LoadDocument(CXmlDocument& document, std::string_view bytes, Format format,
                  const InputOptions&) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (format == Format::kJson) {
    // JSON reaches the tree as the XML text it maps to.
    const CBinaryData xml = document.LoadJsonStream(data, bytes.size());
    document.LoadXmlStream(xml.GetData(), xml.GetLength());
  } else {
    document.LoadXmlStream(data, bytes.size());
  }
}

void OutputOptions::Apply(const Arguments& arguments) {
  static const std::string kNone;
  const std::string& encodingName = arguments.Value("encoding", kNone);
  if (encodingName == "utf-16" || encodingName == "UTF-16") {
    encoding = XmlEncoding_UTF16;
  } else if (!encodingName.empty() && encodingName != "utf-8" && encodingName != "UTF-8") {
    throw UsageError("option '--encoding' takes utf-8 or utf-16, not '" + encodingName + "'");
  }
  declaration = !arguments.Has("no-declaration");
  formatted = !arguments.Has("compact");
  const std::string& eolName = arguments.Value("eol", kNone);
  if (eolName == "crlf") {
    eol = EOL_CRLF;
  } else if (!eolName.empty() && eolName != "lf") {
    throw UsageError("option '--eol' takes lf or crlf, not '" + eolName + "'");
  }
  const std::string& indentName = arguments.Value("indent", kNone);
  if (indentName == "tab" || indentName.empty()) {
    indent = L"\t";
  } else if (indentName.find_first_not_of("0123456789") == std::string::npos &&
             indentName.size() <= 2) {
    indent.assign(static_cast<size_t>(std::stoi(indentName)), L' ');
  } else {
    throw UsageError("option '--indent' takes tab or a number of spaces, not '" + indentName + "'");
  }
  InputOptions json;
  json.Apply(arguments);
  roundTrip = json.context.GetJsonContext().GetSupportRoundtrip();
  if (arguments.Has("fi-vocabulary-uri")) {
    fastInfoset.SetUseGeneratedVocabulary(true);
    fastInfoset.SetExternalVocabularyURI(Widen(arguments.Value("fi-vocabulary-uri", kNone)));
  }
  if (arguments.Has("fi-max-add")) {
    const std::string& length = arguments.Value("fi-max-add", kNone);
    if (length.empty() || length.size() > 9 ||
        length.find_first_not_of("0123456789") != std::string::npos) {
      throw UsageError("option '--fi-max-add' takes a number of characters, not '" + length + "'");
    }
    fastInfoset.SetAttributeMaxAddLength(static_cast<uint32_t>(std::stoul(length)));
    fastInfoset.SetElementMaxAddLength(static_cast<uint32_t>(std::stoul(length)));
  }
}

CBinaryData Encode(const TreeWriter& tree, Format format, const OutputOptions& options,
                   Progress* progress) {
  if (format == Format::kFastInfoset) return EncodeFastInfoset(tree, options, progress);
  const XmlEncoding encoding = TextEncoding(format, options);
  CTextStream stream(encoding);
  WriteText(tree, format, stream, options, progress);
  CBinaryData bytes = stream.GetBytes();
  if (encoding == XmlEncoding_UTF8) return bytes;
  // Files of UTF-16 text start with the byte-order mark, as the library's own do.
  CBinaryData marked(reinterpret_cast<const unsigned char*>("\xFF\xFE"), 2);
  marked.Append(bytes);
  return marked;
}

void WriteDocument(const TreeWriter& tree, const Location& output, Format format,
                   const OutputOptions& options, Progress* progress) {
  if (format != Format::kFastInfoset && !output.gzip && !output.IsStandardStream()) {
    CFileTextStream stream(Widen(output.path), TextEncoding(format, options));
    WriteText(tree, format, stream, options, progress);
    return;
  }
  CBinaryData bytes = Encode(tree, format, options, progress);
  if (output.gzip) bytes = Compress(std::move(bytes), ct_gzip);
  WriteBytes(output, bytes.GetData(), bytes.GetLength());
}

}  // namespace korvel_cli
