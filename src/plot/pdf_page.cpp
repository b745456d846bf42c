#include "plot/pdf_page.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "io/text_encoding.h"

namespace qx {

namespace {

constexpr double kUnitsPerInch = 1000.0;
constexpr double kLimit = 1e9;  // units; anything beyond is drawn at the limit

class Content {
 public:
  void integer(long long v) {
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    out_.append(buf, end);
  }
  // A number with up to four decimals, without trailing zeros.
  void decimal(double v) {
    if (!std::isfinite(v)) v = 0.0;
    const long long scaled = std::llround(std::fabs(v) * 10000.0);
    if (v < 0.0 && scaled != 0) out_ += '-';
    integer(scaled / 10000);
    long long frac = scaled % 10000;
    if (frac == 0) return;
    char digits[5] = {'0', '0', '0', '0', 0};
    for (int i = 3; i >= 0; --i, frac /= 10) digits[i] = static_cast<char>('0' + frac % 10);
    int n = 4;
    while (digits[n - 1] == '0') --n;
    out_ += '.';
    out_.append(digits, static_cast<std::size_t>(n));
  }
  void coordinate(double inches) {
    const double u = inches * kUnitsPerInch;
    integer(std::isfinite(u) ? std::llround(std::clamp(u, -kLimit, kLimit)) : 0);
  }
  void point(const DPoint2D& p, char op) {
    coordinate(p.x);
    out_ += ' ';
    coordinate(p.y);
    out_ += ' ';
    out_ += op;
    out_ += '\n';
  }
  void colour(ColorRef c, const char* op) {
    for (const int part : {redOf(c), greenOf(c), blueOf(c)}) {
      decimal(part / 255.0);
      out_ += ' ';
    }
    out_ += op;
    out_ += '\n';
  }
  // A PDF string: parentheses and backslashes escaped, bytes below space dropped.
  void string(std::string_view bytes) {
    out_ += '(';
    for (const char ch : bytes) {
      if (static_cast<unsigned char>(ch) < 0x20) continue;
      if (ch == '(' || ch == ')' || ch == '\\') out_ += '\\';
      out_ += ch;
    }
    out_ += ')';
  }
  Content& operator<<(std::string_view s) {
    out_ += s;
    return *this;
  }
  std::string& text() { return out_; }

 private:
  std::string out_;
};

bool deflate(const std::string& in, std::string& out) {
  uLongf size = compressBound(static_cast<uLong>(in.size()));
  out.resize(size);
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(in.data()),
                static_cast<uLong>(in.size()), Z_BEST_SPEED) != Z_OK)
    return false;
  out.resize(size);
  return true;
}

}  // namespace

bool writePdfPage(DPoint2D sheet, const std::vector<PdfStrokes>& strokes, const std::vector<PdfTexts>& texts,
                  PlotSink& sink) {
  Content c;
  // Thousandths of an inch from here on.
  c << "0.072 0 0 0.072 0 0 cm\n1 J 1 j 10 w\n";
  for (const PdfStrokes& s : strokes) {
    c.colour(s.colour, "RG");
    for (std::size_t i = 0; i < s.points.size(); ++i) c.point(s.points[i], s.moves[i] ? 'm' : 'l');
    c << "S\n";
  }
  for (const PdfTexts& run : texts) {
    const double a = run.angle * std::numbers::pi / 180.0, cs = std::cos(a), sn = std::sin(a);
    c.colour(run.colour, "rg");
    c << "BT\n/F1 ";
    c.decimal(run.size * kUnitsPerInch);
    c << " Tf\n";
    for (const auto& [p, text] : run.texts) {
      for (const double v : {cs, sn, -sn, cs}) {
        c.decimal(v);
        c << " ";
      }
      c.coordinate(p.x);
      c << " ";
      c.coordinate(p.y);
      c << " Tm ";
      c.string(windows1252Text(text));
      c << " Tj\n";
    }
    c << "ET\n";
  }
  std::string packed;
  if (!deflate(c.text(), packed)) return false;

  Content f;
  std::vector<std::size_t> offsets;
  std::size_t written = 0;
  const auto emit = [&](std::string_view bytes) {
    sink.write(bytes);
    written += bytes.size();
  };
  const auto object = [&](std::string_view body) {
    offsets.push_back(written);
    Content o;
    o.integer(static_cast<long long>(offsets.size()));
    o << " 0 obj\n" << body << "\nendobj\n";
    emit(o.text());
  };
  emit("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  object("<< /Type /Catalog /Pages 2 0 R >>");
  object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  Content page;
  page << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 ";
  page.decimal(sheet.x * 72.0);
  page << " ";
  page.decimal(sheet.y * 72.0);
  page << "] /Resources << /Font << /F1 4 0 R >> >> /Contents 5 0 R >>";
  object(page.text());
  object("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  Content head;
  head << "<< /Length ";
  head.integer(static_cast<long long>(packed.size()));
  head << " /Filter /FlateDecode >>\nstream\n";
  offsets.push_back(written);
  emit("5 0 obj\n");
  emit(head.text());
  emit(packed);
  emit("\nendstream\nendobj\n");
  const std::size_t xref = written;
  Content x;
  x << "xref\n0 ";
  x.integer(static_cast<long long>(offsets.size() + 1));
  x << "\n0000000000 65535 f \n";
  for (const std::size_t at : offsets) {
    char line[21];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", at);
    x << std::string_view(line, 20);
  }
  x << "trailer\n<< /Size ";
  x.integer(static_cast<long long>(offsets.size() + 1));
  x << " /Root 1 0 R >>\nstartxref\n";
  x.integer(static_cast<long long>(xref));
  x << "\n%%EOF\n";
  emit(x.text());
  return true;
}

}  // namespace qx
