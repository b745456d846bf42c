// Delimited files: each case's text gives its records or its exact message,
// and each dataset reads a delimited file as the equivalent fixed-column one.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "datasets/composite_reader.h"
#include "datasets/outline_reader.h"
#include "datasets/surface_import.h"
#include "engine/figure_import.h"
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

std::string dump(const DPoint3D& p) {
  std::ostringstream out;
  out << " (" << p.x << " " << p.y << " " << p.z << ")";
  return out.str();
}

// Envelopes, figures and surfaces: one dump of the records read from a
// fixed-column file and from a delimited one (a ring's closing point starts
// the next contour of the same name; later lines' figure values are ignored).
TEST(Delimited, OutlinesAndSurfacesGiveTheRecordsOfTheEquivalentFixedColumnFile) {
  const auto column = [](const char* label, const char* header, int number) {
    return DelimitedColumn{label, header, number, true};
  };
  const auto envelopes = [&](std::string_view text, bool delimited) {
    OutlineLayout l;
    l.namePosition = 3;
    l.nameWidth = 4;
    if (delimited) {
      l.delimited = DelimitedFormat{Separator::Comma, true};
      l.columns = {column("Name", "NAME", 0), column("X", "X", 0), column("Y", "Y", 0), column("Z", "", 4)};
    }
    MemorySource source(text);
    std::string out;
    for (const auto& c : parseOutline(source, l).contours) {
      out += "\n" + c.name;
      for (const auto& p : c.points) out += dump(p);
    }
    return out;
  };
  const auto figures = [&](std::string_view text, bool delimited) {
    FigureFileLayout l{{3, 4}, {2, 10}, {12, 10}, {22, 10}, {7, 6}, {}, {}, {}, {}, {}, {{13, 6}}};
    if (delimited) {
      l.delimited = DelimitedFormat{Separator::Comma, true};
      l.columns = {column("Name", "NAME", 0), column("X", "X", 0), column("Y", "Y", 0), column("Z", "", 4),
                   column("Surface Area", "AREA", 0)};
      l.columns.resize(10);
      l.columns.push_back(column("Au", "AU", 0));
    }
    MemorySource source(text);
    std::ostringstream out;
    for (const auto& f : parseFigureFile(source, l)) {
      out << "\n" << f.name << " " << f.area << " " << f.thickness << " " << f.oreFraction << " " << f.values[0];
      for (const auto& p : f.points) out << dump(p);
    }
    return out.str();
  };
  const auto surfaces = [&](std::string_view text, bool delimited) {
    SurfaceFileLayout l;
    if (delimited) {
      l.delimited = DelimitedFormat{Separator::Tab, false};
      l.columns = {column("X", "", 2), column("Y", "", 3), column("Elevation", "", 1)};
    }
    MemorySource source(text);
    std::string out;
    for (const auto& p : readSurfaceRecords(source, l)) out += dump(p);
    return out;
  };
  const std::string ring = "2       1.0       2.0       3.0\n2       4.0       5.0       6.0\n";
  const struct {
    std::function<std::string(std::string_view, bool)> read;
    std::string fixed, csv;
    char mark;  // one per record in the dump
    long records;
  } cases[] = {
      {envelopes,
       "1 A\n" + ring + "2       7.0       8.0       9.0\n1 A\n" + ring +
           "2       7.0       8.0      10.0\n1 B\n2       1.5       2.0       3.0\n",
       "NAME,X,Y,Z\nA,1,2,3\nA,4,5,6\nA,7,8,9\nA,1,2,3\nA,1,2,3\nA,4,5,6\nA,7,8,10\nB,1.5,2,3\n", '\n', 3},
      {figures, "1 F1    12.5   0.7\n" + ring + "1 F2     3.0   0.1\n" + ring,
       "NAME,X,Y,Z,AREA,AU\nF1,1,2,3,12.5,0.7\nF1,4,5,6,99,99\nF2,1,2,3,3,0.1\nF2,4,5,6,,\n", '\n', 2},
      {surfaces, "       1.0       2.0       3.0\n      -4.5       5.0       6.0\n", "3\t1\t2\n6\t-4.5\t5\n", '(', 2},
  };
  for (const auto& c : cases) {
    const std::string expected = c.read(c.fixed, false);
    EXPECT_EQ(c.read(c.csv, true), expected) << c.csv;
    EXPECT_EQ(std::count(expected.begin(), expected.end(), c.mark), c.records) << expected;
  }
}

}  // namespace
}  // namespace qx
