#include "plot/plt_reader.h"

#include <bit>
#include <cmath>
#include <cstdio>

#include "plot/gplot.h"

namespace qx {

namespace {

constexpr double kMaxMagnitude = 1e6;
constexpr double kMaxSheet = 1000.0;
constexpr int kMaxDecimals = 30;

const char* recordName(std::uint16_t op) {
  switch (op) {
    case kPltHeader: return "header";
    case kPltPlot: return "plot";
    case kPltPen: return "pen";
    case kPltColor: return "colour";
    case kPltScale: return "scale factor";
    case kPltSheet: return "sheet size";
    case kPltText: return "text";
    case kPltSymbol: return "symbol";
    case kPltNumber: return "number";
    default: return nullptr;
  }
}

class Cursor {
 public:
  explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
  std::size_t offset() const { return at_; }
  std::size_t remaining() const { return bytes_.size() - at_; }
  bool has(std::size_t n) const { return remaining() >= n; }
  std::uint16_t u16() {
    const auto lo = static_cast<unsigned char>(bytes_[at_]), hi = static_cast<unsigned char>(bytes_[at_ + 1]);
    at_ += 2;
    return static_cast<std::uint16_t>(lo | (hi << 8));
  }
  int i16() { return static_cast<std::int16_t>(u16()); }
  float f32() {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at_ + i])) << (8 * i);
    at_ += 4;
    return std::bit_cast<float>(u);
  }
  std::string take(std::size_t n) {
    std::string s(bytes_.substr(at_, n));
    at_ += n;
    return s;
  }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

// The size of a record's fields after the opcode, before any text.
std::size_t fieldBytes(std::uint16_t op) {
  switch (op) {
    case kPltHeader: return 4;
    case kPltPlot: return 10;
    case kPltPen: return 2;
    case kPltColor: return 6;
    case kPltScale: return 4;
    case kPltSheet: return 8;
    case kPltText: return 18;
    case kPltSymbol: return 20;
    case kPltNumber: return 22;
    default: return 0;
  }
}

bool inRange(float v, double limit = kMaxMagnitude) { return std::isfinite(v) && std::fabs(v) <= limit; }

// Reads the record at the cursor; an empty result when it is sound.
std::string readRecord(Cursor& in, PlotRecord& r) {
  const std::size_t start = in.offset();
  const auto at = [&](const std::string& what) { return what + " at byte " + std::to_string(start); };
  r.opcode = in.u16();
  const char* name = recordName(r.opcode);
  if (name == nullptr) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04X", r.opcode);
    return at(std::string("unknown record ") + hex);
  }
  const std::string kind = name;
  if (!in.has(fieldBytes(r.opcode))) return at("truncated " + kind + " record");
  const std::string outOfRange = "a number out of range in the " + kind + " record";
  switch (r.opcode) {
    case kPltHeader:
      r.b = in.i16();
      r.a = in.i16();
      if (r.b != 0) return at("a header record that does not start with 0");
      break;
    case kPltPlot:
      r.x = in.f32();
      r.y = in.f32();
      r.a = in.i16();
      if (!inRange(r.x) || !inRange(r.y)) return at(outOfRange);
      break;
    case kPltPen: r.a = in.i16(); break;
    case kPltColor:
      r.a = in.i16();
      r.b = in.i16();
      r.c = in.i16();
      for (int v : {r.a, r.b, r.c})
        if (v < 0 || v > 255) return at(outOfRange);
      break;
    case kPltScale:
      r.value = in.f32();
      if (!inRange(r.value)) return at(outOfRange);
      break;
    case kPltSheet:
      r.x = in.f32();
      r.y = in.f32();
      if (!inRange(r.x, kMaxSheet) || !inRange(r.y, kMaxSheet) || !(r.x > 0) || !(r.y > 0)) return at(outOfRange);
      break;
    default: {
      r.x = in.f32();
      r.y = in.f32();
      r.height = in.f32();
      r.angle = in.f32();
      if (!inRange(r.x) || !inRange(r.y) || !inRange(r.height) || !inRange(r.angle)) return at(outOfRange);
      if (r.opcode == kPltSymbol) {
        r.a = in.i16();
        r.b = in.i16();
      } else if (r.opcode == kPltNumber) {
        r.a = in.i16();
        r.value = in.f32();
        if (r.a > kMaxDecimals || !inRange(r.value, 1e38)) return at(outOfRange);
      } else {
        r.a = in.i16();
        if (r.a < 1) return at("a text length of " + std::to_string(r.a) + " in the text record");
        const std::size_t n = static_cast<std::size_t>(r.a) + (r.a % 2);
        if (!in.has(n)) return at("truncated text record");
        r.text = in.take(static_cast<std::size_t>(r.a));
        if (r.a % 2 == 1) in.take(1);
      }
      break;
    }
  }
  return std::string();
}

}  // namespace

PltReadResult readPlt(std::string_view bytes) {
  PltReadResult result;
  Cursor in(bytes);
  bool ended = false;
  while (in.remaining() > 0) {
    const std::size_t start = in.offset();
    const std::string at = " at byte " + std::to_string(start);
    if (ended) {
      result.error = "bytes after the end of the plot" + at;
      break;
    }
    if (!in.has(2)) {
      result.error = "truncated record" + at;
      break;
    }
    PlotRecord r;
    result.error = readRecord(in, r);
    if (!result.ok()) break;
    if ((r.opcode == kPltHeader) != (start == 0)) {
      result.error = (start == 0 ? "the plot does not start with a header record" : "a second header record") + at;
      break;
    }
    ended = r.opcode == kPltPlot && r.a == kPenEnd;
    result.records.push_back(std::move(r));
  }
  if (result.ok() && result.records.empty()) result.error = "the plot is empty at byte 0";
  if (result.ok() && !ended) result.error = "the plot has no end record at byte " + std::to_string(bytes.size());
  if (!result.ok()) result.records.clear();
  return result;
}

}  // namespace qx
