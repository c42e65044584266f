// SPDX-License-Identifier: MIT
// The korvel command run as a user runs it: every subcommand, every format
// pair, the options that change the output, and the errors and exit statuses.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Result {
  int status;
  std::string out;
  std::string err;
};

class KorvelCommand : public ::testing::Test {
 protected:
  KorvelCommand() {
    std::string name = std::filesystem::temp_directory_path().string() + "/korvel_cli_XXXXXX";
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_dir = name;
  }
  ~KorvelCommand() override {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }

  std::string Temp(const std::string& name) const { return m_dir + "/" + name; }

  // Runs `korvel arguments` in the test data folder, standard input from
  // the file named (or empty).
  Result Run(const std::string& arguments, const std::string& input = "/dev/null") const {
    const std::string out = Temp("stdout");
    const std::string err = Temp("stderr");
    const std::string command =
        std::string(KORVEL_COMMAND) + " " + arguments + " <" + input + " >" + out + " 2>" + err;
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
  }

  // Converts and expects success with nothing said.
  void Convert(const std::string& arguments) const {
    const Result result = Run("convert " + arguments);
    ASSERT_EQ(result.status, 0) << arguments << "\n" << result.err;
    EXPECT_EQ(result.err, "") << arguments;
  }

  // order.xml as the command writes it back: what every round trip must give.
  std::string Expected() const { return ReadFile("order.expected.xml"); }

 private:
  std::string m_dir;
};

TEST_F(KorvelCommand, XmlToXmlKeepsElementsAttributesTextAndPrefixes) {
  Convert("order.xml " + Temp("out.xml"));
  EXPECT_EQ(ReadFile(Temp("out.xml")), Expected());
}

// Every format, plain and compressed, to every other and back to XML.
TEST_F(KorvelCommand, EveryFormatPairRoundTrips) {
  const char* const kFirst[] = {"a.xml", "a.xml.gz", "a.json", "a.json.gz", "a.fi", "a.fi.gz"};
  const char* const kSecond[] = {"b.xml", "b.json.gz", "b.fi"};
  for (const char* first : kFirst) {
    Convert("order.xml " + Temp(first));
    for (const char* second : kSecond) {
      SCOPED_TRACE(std::string(first) + " -> " + second);
      Convert(Temp(first) + " " + Temp(second));
      Convert(Temp(second) + " " + Temp("back.xml"));
      EXPECT_EQ(ReadFile(Temp("back.xml")), Expected());
    }
  }
  // Compressed output really is gzip; the reader recognises it by its content.
  EXPECT_EQ(ReadFile(Temp("a.fi.gz")).substr(0, 2), "\x1F\x8B");
  std::filesystem::copy_file(Temp("a.json.gz"), Temp("renamed"));
  Convert("--from json " + Temp("renamed") + " " + Temp("back.xml"));
  EXPECT_EQ(ReadFile(Temp("back.xml")), Expected());
}

TEST_F(KorvelCommand, StandardStreamsAndFormatOptions) {
  Result json = Run("convert --to json - -", "order.xml");
  ASSERT_EQ(json.status, 0) << json.err;
  std::ofstream(Temp("piped"), std::ios::binary) << json.out;
  // JSON told by its content when no name or option gives the format.
  Result xml = Run("convert - -", Temp("piped"));
  ASSERT_EQ(xml.status, 0) << xml.err;
  EXPECT_EQ(xml.out, Expected());
  Convert("--to fi --gzip order.xml " + Temp("out"));
  xml = Run("convert " + Temp("out") + " -");
  EXPECT_EQ(xml.out, Expected());
}

TEST_F(KorvelCommand, XmlOutputOptions) {
  Convert("--encoding utf-16 order.xml " + Temp("utf16.xml"));
  const std::string utf16 = ReadFile(Temp("utf16.xml"));
  EXPECT_EQ(utf16.substr(0, 4), std::string("\xFF\xFE<\0", 4));
  Convert(Temp("utf16.xml") + " " + Temp("back.xml"));
  EXPECT_EQ(ReadFile(Temp("back.xml")), Expected());

  const struct {
    const char* options;
    const char* contains;
    const char* lacks;
  } kRows[] = {
      {"--compact", "<shipTo country=\"US\"><name>Alice Smith</name>", "\t"},
      {"--eol crlf", "?>\r\n<po:purchaseOrder", "\">\n"},
      {"--no-declaration", "<po:purchaseOrder", "<?xml"},
      {"--indent 2", "\n  <shipTo", "\t"},
      {"--encoding UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "\r"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.options);
    const Result result = Run("convert " + std::string(row.options) + " order.xml -");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find(row.contains), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find(row.lacks), std::string::npos) << result.out;
  }
}

TEST_F(KorvelCommand, JsonRoundTripLevels) {
  const struct {
    const char* level;
    const char* contains;
    const char* lacks;
  } kRows[] = {
      {"full", "\"@xmlns:po\"", "\"purchaseOrder\""},
      {"partial", "\"@orderDate\"", "xmlns"},
      {"none", "\"orderDate\"", "@"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.level);
    const Result json = Run("convert --compact --to json --json-roundtrip " +
                            std::string(row.level) + " order.xml -");
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find(row.contains), std::string::npos) << json.out;
    EXPECT_EQ(json.out.find(row.lacks), std::string::npos) << json.out;
    // Repeated elements are one array.
    EXPECT_NE(json.out.find("\"item\": [{"), std::string::npos) << json.out;
  }
  // Without namespaces the root reads back unqualified, as JSON gave it.
  Convert("--json-roundtrip partial order.xml " + Temp("p.json"));
  const Result back = Run("convert --json-roundtrip partial " + Temp("p.json") + " -");
  EXPECT_NE(back.out.find("\n<purchaseOrder orderDate=\"1999-10-20\">"), std::string::npos)
      << back.out;
  // --json-root wraps what is read.
  const Result wrapped = Run("convert --json-root wrapper " + Temp("p.json") + " -");
  EXPECT_NE(wrapped.out.find("<wrapper>"), std::string::npos) << wrapped.out << wrapped.err;
}

TEST_F(KorvelCommand, FastInfosetVocabularyOptions) {
  Convert("--fi-vocabulary-uri urn:example:po order.xml " + Temp("v.fi"));
  EXPECT_NE(ReadFile(Temp("v.fi")).find("urn:example:po"), std::string::npos);
  Result result = Run("convert " + Temp("v.fi") + " -");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("Unknown external vocabulary [urn:example:po]"), std::string::npos)
      << result.err;
  result = Run("dump --fi-vocabulary-uri urn:example:po " + Temp("v.fi"));
  EXPECT_EQ(result.status, 0) << result.err;

  // Values shorter than the limit enter the tables; a limit of 0 keeps them all out.
  Convert("order.xml " + Temp("a.fi"));
  Convert("--fi-max-add 0 order.xml " + Temp("b.fi"));
  const Result added = Run("dump " + Temp("a.fi"));
  const Result literal = Run("dump " + Temp("b.fi"));
  EXPECT_NE(added.out.find("values: 3 new, 0 ref, 8 literal"), std::string::npos) << added.out;
  EXPECT_NE(literal.out.find("values: 0 new, 0 ref, 11 literal"), std::string::npos) << literal.out;
}

TEST_F(KorvelCommand, DumpListsItemsAndVocabularyUse) {
  Convert("order.xml " + Temp("order.fi.gz"));
  const Result result = Run("dump " + Temp("order.fi.gz"));
  ASSERT_EQ(result.status, 0) << result.err;
  const char* const kLines[] = {
      "namespace po = http://www.example.com/PO1\n",
      "element po:purchaseOrder                                  name new 1\n",
      "  @orderDate = \"1999-10-20\"                               name new 1, value literal\n",
      "      text \"Alice Smith\"                                  value literal\n",
      "    element item                                          name ref 7\n",
      "      @partNum = \"926-AA\"                                 name ref 3, value literal\n",
      // Columns count characters: the accented and the check mark are one each.
      "    text \"Hurry & mind the <gate>: caf\u00e9 \u2713\"                value literal\n",
      "12 elements, 4 attributes, 7 text chunks, 1 namespace declarations\n",
      "names:  12 new, 4 ref, 0 literal\n",
  };
  for (const char* line : kLines) {
    EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
  }
  const Result notFi = Run("dump order.xml");
  EXPECT_EQ(notFi.status, 1);
  EXPECT_EQ(notFi.err,
            "korvel dump: Failed to parse FastInfoset. The data is not a Fast Infoset document.\n");
}

TEST_F(KorvelCommand, CheckReportsEachFileAndFailsOnAnyBadOne) {
  Convert("order.xml " + Temp("order.json"));
  Convert("order.xml " + Temp("order.fi"));
  Result result = Run("check order.xml " + Temp("order.json") + " " + Temp("order.fi"));
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "order.xml: ok\n" + Temp("order.json") + ": ok\n" + Temp("order.fi") + ": ok\n");
  EXPECT_EQ(Run("check --quiet order.xml").out, "");

  result = Run("check order.xml bad.xml bad.json missing.xml");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "order.xml: ok\n");
  EXPECT_NE(result.err.find("bad.xml: mismatched tag at line 4"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("bad.json: "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("line 3"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("missing.xml: cannot open 'missing.xml': No such file or directory"),
            std::string::npos)
      << result.err;
}

TEST_F(KorvelCommand, StatsCountsAndSizesEveryEncoding) {
  Convert("order.xml " + Temp("order.json"));
  for (const std::string& file : {std::string("order.xml"), Temp("order.json")}) {
    SCOPED_TRACE(file);
    const Result result = Run("stats " + file);
    ASSERT_EQ(result.status, 0) << result.err;
    for (const char* line :
         {"elements           12\n", "attributes         4\n", "depth              4\n",
          "text characters    81\n", "namespaces         1\n", "  XML, formatted ",
          "  XML, compact ", "  JSON, compact ", "  Fast Infoset "}) {
      EXPECT_NE(result.out.find(line), std::string::npos) << line << result.out;
    }
  }
  EXPECT_NE(Run("stats order.xml").out.find("read as            XML, "), std::string::npos);
}

TEST_F(KorvelCommand, UsageAndFileErrorsHaveTheirStatus) {
  const struct {
    const char* arguments;
    int status;
    const char* message;
  } kRows[] = {
      {"", 2, "usage: korvel COMMAND"},
      {"frobnicate", 2, "korvel: unknown command 'frobnicate'; try 'korvel --help'\n"},
      {"convert order.xml", 2,
       "korvel convert: needs an input and an output file; try 'korvel convert --help'\n"},
      {"convert --to yaml order.xml x", 2, "option '--to' takes xml, json or fi, not 'yaml'"},
      {"convert order.xml out.txt", 2, "cannot tell the format of 'out.txt' from its name"},
      {"convert --bogus order.xml a.xml", 2, "unknown option '--bogus'"},
      {"convert -x order.xml a.xml", 2, "unknown option '-x'"},
      {"convert order.xml a.xml --to", 2, "option '--to' needs a value"},
      {"convert --gzip=yes order.xml a.xml", 2, "option '--gzip' takes no value"},
      {"convert --encoding latin-1 order.xml -", 2, "takes utf-8 or utf-16, not 'latin-1'"},
      {"convert --eol cr order.xml -", 2, "takes lf or crlf, not 'cr'"},
      {"convert --json-roundtrip most order.xml -", 2, "none, partial or full, not 'most'"},
      {"convert --fi-max-add x order.xml -", 2, "takes a number of characters, not 'x'"},
      {"check", 2, "korvel check: needs at least one file"},
      {"stats a.xml b.xml", 2, "korvel stats: needs one file"},
      {"dump", 2, "korvel dump: needs one file"},
      {"convert missing.xml a.xml", 1,
       "korvel convert: cannot open 'missing.xml': No such file or directory\n"},
      {"convert bad.xml -", 1, "korvel convert: mismatched tag at line 4"},
      {"convert order.xml /nonexistent/a.fi", 1, "cannot create '/nonexistent/a.fi'"},
      {"stats bad.json", 1, "korvel stats: "},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.arguments);
    const Result result = Run(row.arguments);
    EXPECT_EQ(result.status, row.status) << result.err;
    EXPECT_NE(result.err.find(row.message), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

// The bar needs a terminal: `script` gives the command one.
TEST_F(KorvelCommand, ProgressBarOnATerminalUnlessQuiet) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1)";
  {
    std::ofstream big(Temp("big.xml"), std::ios::binary);
    big << "<orders>\n";
    for (int i = 0; i < 100000; ++i) {
      big << "\t<order id=\"" << i << "\"><total>9.95</total></order>\n";
    }
    big << "</orders>\n";
  }
  const std::string script = "script -qec '" + std::string(KORVEL_COMMAND) + " convert ";
  const auto run = [&](const std::string& options) {
    const std::string command = script + options + Temp("big.xml") + " " + Temp("big.fi") +
                                "' /dev/null >" + Temp("tty") + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return ReadFile(Temp("tty"));
  };
  EXPECT_NE(run("").find("writing  [===="), std::string::npos);
  EXPECT_EQ(run("--quiet "), "");
}

TEST_F(KorvelCommand, HelpForEveryCommand) {
  Result result = Run("--help");
  EXPECT_EQ(result.status, 0);
  for (const char* command : {"convert", "check", "dump", "stats"}) {
    SCOPED_TRACE(command);
    EXPECT_NE(result.out.find(std::string("\n  ") + command + " "), std::string::npos);
    const Result help = Run(std::string(command) + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind(std::string("usage: korvel ") + command + " [OPTIONS]", 0), 0u)
        << help.out;
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
  }
  EXPECT_NE(Run("convert --help").out.find("untyped"), std::string::npos);
}

}  // namespace
