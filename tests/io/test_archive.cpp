#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "io/archive.h"

using namespace qx;
using Bytes = std::vector<std::uint8_t>;

namespace {
Bytes stringBytes(std::size_t n) {
  ArchiveWriter w;
  w.writeString(std::string(n, 'x'));
  return w.take();
}
Bytes head(const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.begin() + static_cast<long>(n)); }
}  // namespace

TEST(ArchiveNumbers, AreLittleEndianAndExact) {
  ArchiveWriter w;
  w.writeInt32(1000);
  w.writeInt32(-2);
  w.writeFloat(100.0f);
  w.writeDouble(2.0);
  w.writeDouble(-0.0);
  w.writeDouble(std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(w.bytes(), (Bytes{0xE8, 0x03, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xC8, 0x42,
                              0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00,
                              0x00, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
  ArchiveReader r(w.bytes());
  EXPECT_EQ(r.readInt32(), 1000);
  EXPECT_EQ(r.readInt32(), -2);
  EXPECT_EQ(r.readFloat(), 100.0f);
  EXPECT_EQ(r.readDouble(), 2.0);
  const double negZero = r.readDouble();
  EXPECT_TRUE(negZero == 0.0 && std::signbit(negZero));
  EXPECT_EQ(r.readDouble(), std::numeric_limits<double>::denorm_min());
  EXPECT_TRUE(r.atEnd());
}

TEST(ArchiveStrings, TheThreeLengthFormsAtTheirBorders) {
  EXPECT_EQ(stringBytes(0), (Bytes{0x00}));
  EXPECT_EQ(head(stringBytes(254), 2), (Bytes{0xFE, 'x'}));
  EXPECT_EQ(head(stringBytes(255), 4), (Bytes{0xFF, 0xFF, 0x00, 'x'}));
  EXPECT_EQ(head(stringBytes(300), 4), (Bytes{0xFF, 0x2C, 0x01, 'x'}));
  EXPECT_EQ(head(stringBytes(65533), 4), (Bytes{0xFF, 0xFD, 0xFF, 'x'}));
  EXPECT_EQ(head(stringBytes(65534), 8), (Bytes{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00, 'x'}));
  EXPECT_EQ(head(stringBytes(70000), 8), (Bytes{0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00, 'x'}));
  for (std::size_t n : {0u, 1u, 254u, 255u, 300u, 65533u, 65534u, 65535u, 70000u}) {
    const Bytes b = stringBytes(n);
    ArchiveReader r(b);
    EXPECT_EQ(r.readString(), std::string(n, 'x')) << n;
    EXPECT_TRUE(r.atEnd()) << n;
  }
  const std::string raw("a\0b\xFF\r\n", 6);  // bytes kept as they are
  ArchiveWriter w;
  w.writeString(raw);
  EXPECT_EQ(ArchiveReader(w.bytes()).readString(), raw);
}

TEST(ArchiveCounts, TheTwoForms) {
  ArchiveWriter w;
  w.writeCount(0);
  w.writeCount(0xFFFE);
  w.writeCount(0xFFFF);
  w.writeCount(70000);
  EXPECT_EQ(w.bytes(),
            (Bytes{0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
  Bytes padded = w.bytes();
  padded.resize(padded.size() + 70000, 0);  // room for 70000 one-byte elements
  ArchiveReader r(padded);
  EXPECT_EQ(r.readCount(1), 0u);
  EXPECT_EQ(r.readCount(1), 0xFFFEu);
  EXPECT_EQ(r.readCount(1), 0xFFFFu);
  EXPECT_EQ(r.readCount(1), 70000u);
}

TEST(ArchiveHostile, ShortInputsFailWithOneErrorType) {
  const Bytes three{0x01, 0x02, 0x03};
  ArchiveReader r(three);
  r.setContext("the composites");
  try {
    r.readInt32();
    FAIL() << "no error";
  } catch (const ArchiveError& e) {
    EXPECT_STREQ(e.what(), "unexpected end of file in the composites");
  }
  // Every prefix of a string record is short.
  const Bytes full = stringBytes(300);
  for (std::size_t n = 0; n < full.size(); ++n) {
    ArchiveReader p(std::span(full.data(), n));
    EXPECT_THROW(p.readString(), ArchiveError) << n;
  }
}

TEST(ArchiveHostile, HugeCountsAndLengthsFailBeforeAnyAllocation) {
  // A count of 0xFFFFFFFF with ten bytes left.
  Bytes b{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  b.resize(b.size() + 10, 0);
  ArchiveReader r(b);
  r.setContext("the polygons");
  try {
    r.readCount(1);
    FAIL() << "no error";
  } catch (const ArchiveError& e) {
    EXPECT_STREQ(e.what(), "count of 4294967295 elements exceeds the rest of the file in the polygons");
  }
  // A string that claims 4 GiB, and the wide-character marker, which is not ours.
  for (const Bytes& s : {Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'}, Bytes{0xFF, 0xFE, 0xFF, 0x01, 'a'}})
    EXPECT_THROW(ArchiveReader(s).readString(), ArchiveError);
  // Elements wider than one byte: 3 doubles need 24 bytes.
  Bytes three{0x03, 0x00};
  three.resize(2 + 23, 0);
  ArchiveReader rc(three);
  EXPECT_THROW(rc.readCount(8), ArchiveError);
}

TEST(ArchiveRoutine, ANegativeCountIsRefused) {
  ArchiveWriter neg;
  neg.writeInt32(-1);
  ArchiveReader rn(neg.bytes());
  Archive ln(rn);
  EXPECT_THROW(ln.ioInt32Count(0, 1, "variables"), ArchiveError);
}
