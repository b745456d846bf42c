// Delimited composite files: each case's text gives its records or its exact message.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "datasets/composite_reader.h"
#include "io/delimited.h"

namespace qx {
namespace {

// Name, X, Y, Z and one variable, by header name or by number 1 to 5.
CompositeLayout layout(Separator separator, bool header) {
  CompositeLayout l;
  l.delimited = DelimitedFormat{separator, header};
  l.variables.resize(1);
  const char* labels[] = {"Name", "X Coordinate", "Y Coordinate", "Z Coordinate", "Au"};
  const char* headers[] = {"HOLE", "EAST", "NORTH", "ELEV", "AU_PPM"};
  for (int k = 0; k < 5; ++k) l.columns.push_back({labels[k], header ? headers[k] : "", k + 1, true});
  return l;
}

std::string read(std::string_view text, const CompositeLayout& l) {
  MemorySource source(text);
  CompositeFileReader reader(source, l);
  std::ostringstream out;
  CompositeRecord r;
  while (reader.next(r))
    out << "[" << r.name << "] " << r.position.x << " " << r.position.y << " " << r.position.z << " " << r.values[0]
        << "\n";
  const DelimitedReport& report = reader.delimited()->report();
  if (!report.fatal.empty())
    out << delimitedFatalMessage("f.csv", report);
  else if (report.badLines > 0)
    out << delimitedBadLinesMessage("f.csv", report);
  return out.str();
}

TEST(Delimited, CasesGiveTheirRecordsOrTheirMessage) {
  const auto comma = layout(Separator::Comma, false);
  const auto named = layout(Separator::Comma, true);
  auto noHeader = named;
  noHeader.delimited->header = false;
  struct Case {
    std::string text;
    CompositeLayout layout;
    std::string expected;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBFHOLE,EAST,NORTH,ELEV,AU_PPM\r\nA1,10.5,20,-5e2,1.25\r\n", named, "[A1] 10.5 20 -500 1.25\n"},
      {"\"A,\"\"1\"\"\" , 1,2,3,4\n\"B\",+1,2,3,\n", comma, "[A,\"1\"] 1 2 3 4\n[B] 1 2 3 0\n"},
      {"\n  \r\nA,1,2,3,4\n\n", comma, "[A] 1 2 3 4\n"},
      {"A,1,2,3\nB,1,2,3,4", comma,
       "[B] 1 2 3 4\n1 line of f.csv could not be read:\nline 1: no column 5 for Au (the line has 4)"},
      {"hole,east,north,elev,au_ppm,CU,AG\nA,1,2,3,4,5,6\n", named, "[A] 1 2 3 4\n"},
      {"HOLE,EAST,NORTH,ELEV,AU_PPM\r\n\r\n", named,
       "Nothing was loaded from f.csv:\nthe file holds a header and no data line"},
      {"HOLE,EAST,NORTH,ELEV\nA,1,2,3\n", named,
       "Nothing was loaded from f.csv:\nthe header has no column \"AU_PPM\" for Au (columns: \"HOLE\", \"EAST\", "
       "\"NORTH\", \"ELEV\")"},
      {"A,1,2,3,4\n", noHeader,
       "Nothing was loaded from f.csv:\nName is chosen by the column name \"HOLE\" but the file has no header"},
      {"A;1,5;2;3;4\n", layout(Separator::Semicolon, false), "Nothing was loaded from f.csv:\nno line could be read"},
      {"", comma, "Nothing was loaded from f.csv:\nthe file holds no data line"},
      {"  \"A 1\"\t 1  2\t3 4  \n", layout(Separator::Whitespace, false), "[A 1] 1 2 3 4\n"},
      {"A\t\t2\t3\t4\n", layout(Separator::Tab, false), "[A] 0 2 3 4\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(read(c.text, c.layout), c.expected) << c.text;
}

TEST(Delimited, BadLinesAreCountedAndTheFirstFiveNamed) {
  const std::string text =
      "A;1,5;2;3;4\nB;inf;2;3;4\nC;+-1;2;3;4\n\"D;1;2;3;4\nE;1;2;3;4 5\n\"F\"x;1;2;3;4\nG;1;2;3;4\n";
  EXPECT_EQ(read(text, layout(Separator::Semicolon, false)),
            "[G] 1 2 3 4\n6 lines of f.csv could not be read:\n"
            "line 1: X Coordinate \"1,5\" is not a number\n"
            "line 2: X Coordinate \"inf\" is not a number\n"
            "line 3: X Coordinate \"+-1\" is not a number\n"
            "line 4: a quote is not closed, or text follows its closing quote\n"
            "line 5: Au \"4 5\" is not a number");
}

TEST(Delimited, GivesTheRecordsOfTheEquivalentFixedColumnFile) {
  const std::string fixed =
      "DH-1      1000.5    2000.25   -12.5     3.125\r\nDH-2      1e3       7         8         0\n";
  const std::string csv =
      "\xEF\xBB\xBFHOLE,EAST,NORTH,ELEV,AU_PPM\r\nDH-1,1000.5,2000.25,-12.5,3.125\r\n\r\n"
      "\"DH-2\",1e3,7,8,\n";
  CompositeLayout f;
  f.name = {1, 4};
  f.x = {11, 10};
  f.y = {21, 10};
  f.z = {31, 10};
  f.variables = {{41, 10}};
  MemorySource fixedSource(fixed), csvSource(csv);
  const auto expected = readCompositeRecords(fixedSource, f);
  const auto got = readCompositeRecords(csvSource, layout(Separator::Comma, true));
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].name, expected[i].name);
    EXPECT_EQ(got[i].position, expected[i].position);
    EXPECT_EQ(got[i].values, expected[i].values);
  }
}

}  // namespace
}  // namespace qx
