// The line reader, the field extractors, the preview and the output ruler.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "io/columns.h"
#include "io/line_reader.h"
#include "test_files.h"

namespace qx {
namespace {

std::vector<std::string> readAll(std::string_view file, std::size_t bufferSize = LineReader::kBufferSize) {
  MemorySource source(file);
  LineReader reader(source, bufferSize);
  std::vector<std::string> lines;
  while (reader.readLine()) lines.emplace_back(reader.line());
  return lines;
}

std::string padded(std::string s, std::size_t width = 511) {
  s.resize(width, ' ');
  return s;
}

TEST(LineReader, LongLinesAreCutAndShortOnesPaddedWithBlanks) {
  std::string first(600, 'a');
  for (std::size_t i = 0; i < first.size(); ++i) first[i] = static_cast<char>('a' + i % 26);
  const std::string exact(511, '5');
  const std::string file = first + "\n" + exact + "\n" + exact + "x\n12.5\r\n";
  MemorySource source(file);
  LineReader reader(source);
  ASSERT_TRUE(reader.readLine());
  EXPECT_EQ(reader.line(), first.substr(0, 511));
  EXPECT_TRUE(reader.wasCut());
  ASSERT_TRUE(reader.readLine());  // the next read starts at the following line
  EXPECT_EQ(reader.line(), exact);
  EXPECT_FALSE(reader.wasCut()) << "a line of exactly the buffer";
  ASSERT_TRUE(reader.readLine());
  EXPECT_EQ(reader.line(), exact) << "512 characters: the last one skipped";
  ASSERT_TRUE(reader.readLine());
  EXPECT_EQ(reader.line(), padded("12.5\r")) << "the carriage return stays";
  EXPECT_EQ(reader.readLength(), 5u);
  EXPECT_FALSE(reader.readLine());
  EXPECT_EQ(reader.lineCount(), 4u);
}

TEST(LineReader, EndOfFileEmptyLinesAndOtherBufferSizes) {
  EXPECT_TRUE(readAll("").empty());
  EXPECT_EQ(readAll("\n\r\n"), (std::vector<std::string>{padded(""), padded("\r")}));  // blank lines are records
  EXPECT_EQ(readAll("a\nb").size(), 2u);
  // A carriage return alone does not end a line; a NUL is an ordinary byte.
  EXPECT_EQ(readAll("1\r2\r3"), std::vector<std::string>{padded("1\r2\r3")});
  EXPECT_EQ(readAll(std::string("a\0b\n", 4)), std::vector<std::string>{padded(std::string("a\0b", 3))});
  EXPECT_EQ(readAll("abcdef\nxy\n", 4), (std::vector<std::string>{"abc", "xy "}));
}

TEST(LineReader, LinesAcrossTheReadChunks) {
  std::string file;
  for (int i = 0; i < 3000; ++i) file += std::to_string(i) + std::string(static_cast<std::size_t>(i % 700), '.') + "\n";
  MemorySource source(file);
  LineReader reader(source);
  for (int i = 0; i < 3000; ++i) {
    ASSERT_TRUE(reader.readLine()) << i;
    std::string expected = std::to_string(i) + std::string(static_cast<std::size_t>(i % 700), '.');
    ASSERT_EQ(reader.line(), padded(expected.substr(0, 511))) << i;
  }
  EXPECT_FALSE(reader.readLine());
}

TEST(Extractors, NumbersAsPercentLfReadsThem) {
  const std::string line = padded("  12.5abc      -3.25e+02xx");
  EXPECT_EQ(numberAt(line, 1, 9), 12.5);      // two blanks, 12.5, letters
  EXPECT_EQ(numberAt(line, 15, 12), -325.0);  // exponent
  EXPECT_EQ(numberAt(line, 3, 2), 12.0);      // the field ends the number

  for (const char* text : {".", "-", "e5", "0x1p3", "inf", "nan", "-INFINITY", "1e400", "-1e400", "1e-400"})
    EXPECT_EQ(scanNumber(text), 0.0) << text;
  const std::pair<const char*, double> cases[] = {
      {"3e", 3.0}, {"3e+", 3.0}, {"2.5E-1", 0.25},      {"+7", 7.0},     {"-0.5", -0.5},    {".5", 0.5},
      {"5.", 5.0}, {"1,5", 1.0}, {"\t\v\f\r\n 8", 8.0}, {"12 34", 12.0}, {"007.250", 7.25}, {"0.1", 0.1},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(scanNumber(text), value) << '"' << text << '"';
  EXPECT_TRUE(std::signbit(scanNumber("-0.0")));
  EXPECT_EQ(scanNumber("123456789012345678901"), 123456789012345678901.0);
  EXPECT_EQ(scanNumber("1.7976931348623157e308"), std::numeric_limits<double>::max());
  EXPECT_EQ(scanNumber(std::string("1\0005", 3)), 1.0);  // a NUL ends the field as in a C string
}

TEST(Extractors, NumbersAgreeWithTheCLibraryInTheCLocale) {
  // strtod in the C locale is the oracle for plain decimal text.
  const test::LocaleGuard c("C");
  for (const char* t : {"0.30000000000000004", "2.2250738585072014e-308", "9007199254740993", "-123.456e-7",
                        "   6.02214076e23 mol", "1e23", "8.98846567431158e307", "4.35", "0.000001", "1234.5678"})
    EXPECT_EQ(scanNumber(t), std::strtod(t, nullptr)) << t;
}

TEST(Extractors, IntegersAsPercentDReadsThem) {
  const std::string line = padded("  42x  -7 12.9  +5      ");
  EXPECT_EQ(integerAt(line, 1, 5), 42);
  EXPECT_EQ(integerAt(line, 10, 5), 12);  // the point ends the number
  EXPECT_EQ(integerAt(line, 16, 3), 5);
  EXPECT_EQ(integerAt(line, 19, 6), 0);  // blanks
  EXPECT_EQ(scanInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
  for (const char* text : {"2147483648", "-99999999999999999999", "- 5", "+-5", "0x1F"})  // beyond int32, junk
    EXPECT_EQ(scanInteger(text), 0) << text;
}

TEST(Extractors, TextAndCharacters) {
  const std::string line = padded("DH001-01  1.5\r");
  EXPECT_EQ(textAt(line, 11, 5), "1.5\r ");  // blanks kept
  EXPECT_EQ(textAt(line, 1, -3), "");
  // Columns outside the line read as blanks.
  EXPECT_EQ(std::string() + characterAt(line, 0) + characterAt(line, 512) + characterAt(line, -5), "   ");
  EXPECT_EQ(textAt(line, -1, 5), "  DH0");        // columns -1 and 0 are blanks
  EXPECT_EQ(numberAt(padded("9.5"), 0, 4), 9.5);  // column 0 is a blank
  EXPECT_EQ(numberAt(padded("", 511).replace(508, 3, "4.5"), 509, 10), 4.5);
  EXPECT_EQ(textAt(std::string("ab\0cd", 5), 1, 5), "ab");  // a NUL ends the text
}

TEST(Extractors, FieldsLongerThanTheNumberBufferAreReadWhole) {
  // 30 blanks and a number: the way the exports write a wide right-aligned column.
  const std::string wide = std::string(30, ' ') + "123.25";
  EXPECT_EQ(numberAt(padded(wide), 1, 36), 123.25);
  const std::string digits = "1234567890123456789012345";  // 25 digits
  EXPECT_EQ(numberAt(padded(digits), 1, 25), 1234567890123456789012345.0);
}

std::string previewOf(std::string_view file) {
  MemorySource source(file);
  return previewText(readPreviewLines(source));
}

TEST(Preview, FirstLineGivesTheWidthFiftyAtLeast) {
  const std::string first(30, 'x');
  const std::string expected =
      "         1         2         3         4         5\r\n"
      "12345678901234567890123456789012345678901234567890\r\n" +
      first +
      "\r\n"
      "second\r\n"
      "third\r\n"
      "\r\n\r\n\r\n\r\n\r\n\r\n\r\n";  // 3 lines of text and 7 empty ones
  EXPECT_EQ(previewOf(first + "\nsecond\nthird\n"), expected);

  // A wide first line gives its width (its carriage return not shown); ten lines at most.
  std::string file = std::string(61, 'w') + "\r\n";
  for (int i = 2; i <= 12; ++i) file += "line " + std::to_string(i) + "\n";
  EXPECT_EQ(previewOf(file),
            "         1         2         3         4         5         6 \r\n"
            "1234567890123456789012345678901234567890123456789012345678901\r\n" +
                std::string(61, 'w') +
                "\r\nline 2\r\nline 3\r\nline 4\r\nline 5\r\nline 6\r\nline 7\r\nline 8\r\nline 9\r\nline 10\r\n");
}

TEST(Preview, RulersStopAtOneHundredColumnsAndLongLinesAreCut) {
  const std::string first(600, '7');
  const std::string file = first + "\nnext\n";
  MemorySource source(file);
  const auto lines = readPreviewLines(source);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], first.substr(0, 510));
  const std::string head = std::string(kInputTensRuler) + "\r\n" + std::string(kInputUnitsRuler) + "\r\n";
  EXPECT_EQ(previewText(lines).substr(0, head.size() + 4), head + "7777");
  EXPECT_EQ(previewOf("").substr(102), "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n")
      << "rulers of 50 and ten empty lines";
}

TEST(OutputRuler, OverlapIsMarkedWithAQuestionMark) {
  EXPECT_EQ(kOutputTensRuler.substr(89, 13), "9         00 ");
  EXPECT_EQ(kOutputTensRuler.substr(189), "19         ") << "200 columns";
  ColumnDescription d;
  d.add("X Coordinate", 5, 5, 2);  // columns 5 to 9
  d.add("Y Coordinate", 8, 5, 2);  // columns 8 to 12
  d.add("Absent", 20, 0, 2);
  const std::string usage = "----***??***" + std::string(188, '-');
  EXPECT_EQ(usageLine(d), usage);
  EXPECT_EQ(outputRulerText(d),
            std::string(kOutputTensRuler) + "\r\n" + std::string(kOutputUnitsRuler) + "\r\n" + usage);
  EXPECT_EQ(usageLine(ColumnDescription{}), std::string(200, '-'));
}

TEST(OutputRuler, EdgesOfTheUsageLine) {
  ColumnDescription d;
  d.add("Name", 0, 2);  // columns 0 and 1, both taken as the first: "*" then "?"
  EXPECT_EQ(usageLine(d).substr(0, 3), "?--");
  ColumnDescription e;
  e.add("Wide", 195, 1000);  // the last column is never marked
  EXPECT_EQ(usageLine(e), std::string(194, '-') + "*****-");
  ColumnDescription f;
  f.add("Far", 2000, 1000);
  f.add("Neg", -5, 3);  // every column before the first lands on it
  EXPECT_EQ(usageLine(f), "?" + std::string(199, '-'));
  ColumnDescription g;
  g.add("A", 1, 3);
  g.add("B", 2, 1);
  g.add("C", 2, 1);  // a third writer keeps "?"
  EXPECT_EQ(usageLine(g).substr(0, 4), "*?*-");
}

TEST(FieldNames, RequiredAndDecimalRules) {
  for (const char* n :
       {"IX (Column)", "IY (Row)", "IZ (Bench)", "X Coordinate", "Y Coordinate", "Z Coordinate", "Elevation"})
    EXPECT_TRUE(isRequiredField(n)) << n;
  for (const char* n : {"Name", "x coordinate", "X Coordinate ", "Elevations"}) EXPECT_FALSE(isRequiredField(n)) << n;
  for (const char* n : {"Names", "IZ (Bench)", "Number", "Envelope Name", "Enve"}) EXPECT_FALSE(hasDecimals(n)) << n;
  for (const char* n : {"X Coordinate", "NAME", "Nam", "IX", ""}) EXPECT_TRUE(hasDecimals(n)) << n;
  EXPECT_EQ(requiredFieldMessage("X Coordinate"), "X Coordinate must have length > 0");

  ColumnDescription d;
  d.add("Name", 1, 0);
  d.add("Au", 30, 0);
  d.add("Y Coordinate", 16, 0);
  d.add("X Coordinate", 26, 0);
  EXPECT_EQ(firstMissingRequired(d), 2);
  d.fields[2].length = d.fields[3].length = 10;
  EXPECT_EQ(firstMissingRequired(d), -1);
  EXPECT_EQ(d.find("au"), -1);
}

// The reading cases under a German locale, whose decimal separator is a comma.
TEST(GermanLocale, NumbersStillUseThePoint) {
  test::LocaleGuard german("de_DE.UTF-8");
  if (!german.active())
    GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (locale -a); the C-locale cases still run";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");  // the locale really is active
  EXPECT_EQ(numberAt(padded("1,5"), 1, 3), 1.0);
  EXPECT_EQ(scanNumber("-3.25e+02"), -325.0);
  EXPECT_EQ(previewOf(std::string(80, 'x') + "\n").substr(0, 82), std::string(kInputTensRuler.substr(0, 80)) + "\r\n");
}

}  // namespace
}  // namespace qx
