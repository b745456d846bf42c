// qx_demo_data OUTDIR: writes the demo gold-silver deposit that
// examples/demo/demo.json estimates (docs/demo.md describes it):
//
//   composites.dat  2 m composites down inclined drill holes
//   composites.csv  the same composites, comma-separated with a header line
//   envelopes.dig   three ore envelopes (outline format)
//   envelopes.csv   the same envelopes, semicolon-separated with a header line
//   blocks.dig      a grid of 50 m mining blocks (outline format)
//   topography.dat  a 40 x 40 grid of topographic points
//
// The output is the same byte for byte on every platform and compiler: the
// random numbers come from our own splitmix64 generator, the normal deviates
// are sums of twelve uniforms, exp() is our own series (the library's
// transcendental functions may differ in the last bit between platforms),
// only +, -, *, / and sqrt touch the model (all correctly rounded), and the
// numbers are written with snprintf in the "C" locale, which a program that
// never calls setlocale keeps. Files are opened in binary mode so that every
// line ends with a single line feed.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// ---- numbers ----

class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // Uniform on [0, 1): the top 53 bits.
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  // Uniform on [-1, 1).
  double symmetric() { return 2.0 * uniform() - 1.0; }
  // Approximately standard normal: the sum of twelve uniforms less 6
  // (mean 0, variance 1, tails cut at +-6).
  double normal() {
    double s = 0.0;
    for (int i = 0; i < 12; ++i) s += uniform();
    return s - 6.0;
  }

 private:
  std::uint64_t state_;
};

// e^x from +, -, *, / alone: x = k ln2 + r with |r| <= ln2 / 2, a Taylor
// series for e^r, then an exact scaling by 2^k.
double expSeries(double x) {
  if (x < -700.0) return 0.0;
  if (x > 700.0) x = 700.0;
  constexpr double kLn2 = 0.6931471805599453;
  const double kf = x / kLn2;
  const long k = kf >= 0.0 ? static_cast<long>(kf + 0.5) : -static_cast<long>(-kf + 0.5);
  const double r = x - static_cast<double>(k) * kLn2;
  double term = 1.0, sum = 1.0;
  for (int n = 1; n < 24; ++n) {
    term = term * r / n;
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(k));
}

double clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

double smoothstep(double edge0, double edge1, double v) {
  const double t = clamp((v - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

double gaussian(double x, double y, double cx, double cy, double sigma) {
  const double dx = x - cx, dy = y - cy;
  return expSeries(-(dx * dx + dy * dy) / (2.0 * sigma * sigma));
}

std::string format(const char* pattern, ...) {
  char buf[256];
  va_list args;
  va_start(args, pattern);
  std::vsnprintf(buf, sizeof buf, pattern, args);
  va_end(args);
  return buf;
}

// ---- geometry ----

struct Pt {
  double x, y;
};

bool inside(const std::vector<Pt>& poly, double x, double y) {
  bool in = false;
  for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const Pt& a = poly[i];
    const Pt& b = poly[j];
    if ((a.y <= y && y < b.y) || (b.y <= y && y < a.y)) {
      const double xCross = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (x < xCross) in = !in;
    }
  }
  return in;
}

// Distance to the outline: positive inside, negative outside.
double signedDistance(const std::vector<Pt>& poly, double x, double y) {
  double best = 1e300;
  for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const Pt& a = poly[j];
    const Pt& b = poly[i];
    const double ex = b.x - a.x, ey = b.y - a.y;
    const double t = clamp(((x - a.x) * ex + (y - a.y) * ey) / (ex * ex + ey * ey), 0.0, 1.0);
    const double dx = x - (a.x + t * ex), dy = y - (a.y + t * ey);
    best = std::min(best, std::sqrt(dx * dx + dy * dy));
  }
  return inside(poly, x, y) ? best : -best;
}

double area(const std::vector<Pt>& poly) {
  double s = 0.0;
  for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
    s += poly[j].x * poly[i].y - poly[i].x * poly[j].y;
  return std::fabs(s) / 2.0;
}

// ---- the deposit ----

// Local mine grid: the deposit lies around X 10000, Y 20000, Z 500.
constexpr double kSectionSpacing = 75.0;  // sections are lines of constant Y
constexpr double kCollarSpacing = 75.0;   // collars along a section
constexpr int kSections = 7;
constexpr int kHolesPerSection = 8;
constexpr double kFirstSectionY = 19725.0;
constexpr double kFirstCollarX = 9600.0;
constexpr double kCompositeLength = 2.0;

// Gentle relief: a slope down to the south-east, a hill in the north-west
// and a hollow in the south-east.
double topography(double x, double y) {
  return 498.0 + 0.025 * (x - 10000.0) - 0.02 * (y - 20000.0) + 12.0 * gaussian(x, y, 9850.0, 20120.0, 180.0) -
         7.0 * gaussian(x, y, 10150.0, 19800.0, 140.0);
}

// The level the lenses are hung from: dips gently east and rises north.
double referenceLevel(double x, double y) { return 420.0 - 0.05 * (x - 9950.0) + 0.04 * (y - 19950.0); }

struct Shoot {
  double x, y, sigma, gain;  // a high-grade shoot adding `gain` g/t at its centre
};

struct Lens {
  const char* name;
  const char* colour;  // for the job
  double density;
  std::vector<Pt> outline;  // the envelope geologists drew around it
  double levelOffset;       // centre of the lens above the reference level
  double halfThickness;     // vertical
  double baseAu;            // g/t across the lens
  std::vector<Shoot> shoots;
};

std::vector<Lens> lenses() {
  return {
      // A crescent, open to the north: the concave envelope.
      {"Main Lens",
       "#d4a017",
       2.80,
       {{9652, 19712},
        {9800, 19702},
        {9960, 19703},
        {10100, 19708},
        {10195, 19745},
        {10235, 19840},
        {10230, 19955},
        {10185, 20030},
        {10120, 20045},
        {10092, 19990},
        {10058, 19932},
        {9990, 19898},
        {9900, 19884},
        {9800, 19890},
        {9700, 19905},
        {9652, 19860}},
       0.0,
       22.0,
       3.9,
       {{10120, 19800, 70, 3.5}, {9800, 19760, 60, 2.0}, {10180, 19960, 50, 2.0}}},
      // Above the Main Lens's eastern horn: the two envelopes overlap there.
      {"East Lens",
       "#c0392b",
       2.75,
       {{10020, 19930},
        {10110, 19890},
        {10200, 19905},
        {10238, 19990},
        {10232, 20110},
        {10185, 20190},
        {10090, 20195},
        {10030, 20140},
        {10000, 20040}},
       28.0,
       12.0,
       4.4,
       {{10150, 20120, 55, 3.0}}},
      {"North Lens",
       "#2e86c1",
       2.70,
       {{9652, 19972},
        {9780, 19950},
        {9900, 19968},
        {9972, 20045},
        {9962, 20160},
        {9850, 20197},
        {9720, 20195},
        {9652, 20130}},
       6.0,
       20.0,
       3.6,
       {{9800, 20120, 50, 2.2}}},
  };
}

struct ModelValue {
  double au;    // expected Au, g/t
  double lens;  // 0 (waste) to 1 (the heart of a lens)
};

ModelValue model(const std::vector<Lens>& all, double x, double y, double z) {
  ModelValue m{0.05, 0.0};
  const double level = referenceLevel(x, y);
  for (const Lens& lens : all) {
    // Full strength 25 m inside the envelope, fading out 15 m beyond it; the
    // lens thins towards its edge.
    const double s = smoothstep(-15.0, 25.0, signedDistance(lens.outline, x, y));
    if (s <= 0.0) continue;
    const double half = lens.halfThickness * (0.4 + 0.6 * s);
    const double d = (z - level - lens.levelOffset) / half;
    const double d2 = d * d;
    const double v = 1.0 / (1.0 + d2 * d2 * d2);  // flat-topped across the lens
    double g = lens.baseAu;
    for (const Shoot& sh : lens.shoots) g += sh.gain * gaussian(x, y, sh.x, sh.y, sh.sigma);
    m.au += s * v * g;
    m.lens = std::max(m.lens, s * v);
  }
  return m;
}

struct Composite {
  std::string name;
  double x, y, z;
  double au, ag, thk, sg;
};

constexpr double kMissing = -1.0;

std::vector<Composite> drill(const std::vector<Lens>& all, SplitMix64& rng) {
  std::vector<Composite> out;
  int holeNumber = 0;
  for (int s = 0; s < kSections; ++s) {
    for (int h = 0; h < kHolesPerSection; ++h) {
      ++holeNumber;
      const double jx = rng.symmetric();
      const double jy = rng.symmetric();
      double px = kFirstCollarX + kCollarSpacing * h + 4.0 * jx;
      double py = kFirstSectionY + kSectionSpacing * s + 4.0 * jy;
      double pz = topography(px, py);
      // Drilled east at about -45 degrees: per metre east, `a` metres north
      // and `b` metres down. The hole wanders a little and flattens with depth.
      const double ja = rng.symmetric();
      const double jb = rng.symmetric();
      double a = 0.02 * ja;
      double b = 1.0 + 0.04 * jb;
      int sampled = 0;
      for (int k = 1; k <= 200; ++k) {
        const double norm = std::sqrt(1.0 + a * a + b * b);
        const double ux = 1.0 / norm, uy = a / norm, uz = -b / norm;
        const double mx = px + ux * kCompositeLength / 2.0, my = py + uy * kCompositeLength / 2.0,
                     mz = pz + uz * kCompositeLength / 2.0;
        const double level = referenceLevel(mx, my);
        const bool started = sampled > 0 || mz <= level + 40.0;
        if (started) {
          // The last sample of a hole is cut short half of the time.
          const bool last = mz < level - 32.0 || sampled == 69;
          const double u = rng.uniform();
          const double length = last && u < 0.5 ? 0.6 + 2.8 * u : kCompositeLength;
          Composite c;
          c.name = format("DH%03d-%03d", holeNumber, k);
          c.x = px + ux * length / 2.0;
          c.y = py + uy * length / 2.0;
          c.z = pz + uz * length / 2.0;
          c.thk = length;
          const ModelValue m = model(all, c.x, c.y, c.z);
          const double n1 = rng.normal(), n2 = rng.normal(), n3 = rng.normal(), n4 = rng.normal();
          const double nugget = rng.uniform();
          const double missingAu = rng.uniform();
          const double missingSg = rng.uniform();
          // Lognormal scatter around the model, its mean kept (sigma 0.55),
          // and a rare nugget.
          double au = m.au * expSeries(0.55 * n1 - 0.15125);
          if (nugget < 0.005) au *= 4.0;
          au = std::max(au, 0.005);  // detection limit
          c.au = missingAu < 0.025 ? kMissing : au;
          c.ag = au * 9.0 * expSeries(0.3 * n2 - 0.045) + 0.8 * expSeries(0.4 * n3 - 0.08);
          const double sg = clamp(2.64 + 0.18 * m.lens + 0.025 * n4, 2.60, 2.90);
          c.sg = missingSg < 0.04 ? kMissing : sg;
          out.push_back(c);
          ++sampled;
          if (last) break;
        }
        px += ux * kCompositeLength;
        py += uy * kCompositeLength;
        pz += uz * kCompositeLength;
        const double da = rng.symmetric();
        a += 0.002 * da;
        b *= 0.998;
      }
    }
  }
  return out;
}

// ---- writing ----

struct File {
  std::FILE* f = nullptr;
  std::string path;
  explicit File(std::string p) : path(std::move(p)) { f = std::fopen(path.c_str(), "wb"); }
  ~File() {
    if (f != nullptr) std::fclose(f);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  void put(const std::string& line) { std::fputs(line.c_str(), f); }
  bool close() {
    const bool ok = std::ferror(f) == 0 && std::fclose(f) == 0;
    f = nullptr;
    return ok;
  }
};

// The coordinate as it is written, in hundredths.
long long hundredths(double v) { return std::llround(std::strtod(format("%.2f", v).c_str(), nullptr) * 100.0); }

// Composites closer than 0.01 in both X and Y are merged on import: none may
// be. Values are compared as written; a difference of one hundredth counts as
// too close, since 0.01 may come out just below 0.01 once read back.
bool findCoLocated(const std::vector<Composite>& all, std::string& first, std::string& second) {
  struct Key {
    long long x, y;
    std::size_t index;
  };
  std::vector<Key> keys;
  for (std::size_t i = 0; i < all.size(); ++i) keys.push_back({hundredths(all[i].x), hundredths(all[i].y), i});
  std::sort(keys.begin(), keys.end(),
            [](const Key& p, const Key& q) { return p.x < q.x || (p.x == q.x && p.index < q.index); });
  for (std::size_t i = 0; i < keys.size(); ++i)
    for (std::size_t j = i + 1; j < keys.size() && keys[j].x - keys[i].x <= 1; ++j)
      if (std::llabs(keys[j].y - keys[i].y) <= 1) {
        first = all[keys[i].index].name;
        second = all[keys[j].index].name;
        return true;
      }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qx_demo_data OUTDIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  SplitMix64 rng(20260517ULL);
  const std::vector<Lens> all = lenses();
  const std::vector<Composite> composites = drill(all, rng);

  std::string a, b;
  if (findCoLocated(composites, a, b)) {
    std::fprintf(stderr, "qx_demo_data: composites %s and %s share X and Y\n", a.c_str(), b.c_str());
    return 1;
  }

  bool ok = true;
  {
    // name 1-15, X 16-27, Y 28-39, Z 40-49, Au 50-59, Ag 60-69, Thk 70-77, SG 78-85
    File out(dir + "/composites.dat");
    if (out.f == nullptr) {
      std::fprintf(stderr, "qx_demo_data: cannot write %s\n", out.path.c_str());
      return 1;
    }
    for (const Composite& c : composites)
      out.put(format("%-15.15s%12.2f%12.2f%10.2f%10.3f%10.2f%8.2f%8.2f\n", c.name.c_str(), c.x, c.y, c.z, c.au, c.ag,
                     c.thk, c.sg));
    ok = out.close() && ok;
  }
  {
    // The same numbers as composites.dat, as text, so both files give the same composites.
    File out(dir + "/composites.csv");
    if (out.f == nullptr) return 1;
    out.put("HOLE_ID,EAST,NORTH,ELEV,AU_GPT,AG_GPT,THK_M,SG\r\n");
    for (const Composite& c : composites)
      out.put(format("\"%s\",%.2f,%.2f,%.2f,%.3f,%.2f,%.2f,%.2f\r\n", c.name.c_str(), c.x, c.y, c.z, c.au, c.ag, c.thk,
                     c.sg));
    ok = out.close() && ok;
  }
  {
    // "1 0000   name" (name from column 10), then "2" with X 2-11, Y 12-21, Z 22-31.
    File out(dir + "/envelopes.dig");
    if (out.f == nullptr) return 1;
    for (const Lens& lens : all) {
      out.put(format("1 %04u   %s\n", 0u, lens.name));
      for (const Pt& p : lens.outline)
        out.put(format("2%10.2f%10.2f%10.2f\n", p.x, p.y, referenceLevel(p.x, p.y) + lens.levelOffset));
    }
    ok = out.close() && ok;
  }
  {
    // The same outlines as envelopes.dig, one point per line with a header line.
    File out(dir + "/envelopes.csv");
    if (out.f == nullptr) return 1;
    out.put("LENS;EAST;NORTH;ELEV\n");
    for (const Lens& lens : all)
      for (const Pt& p : lens.outline)
        out.put(format("\"%s\";%.2f;%.2f;%.2f\n", lens.name, p.x, p.y, referenceLevel(p.x, p.y) + lens.levelOffset));
    ok = out.close() && ok;
  }
  int blocks = 0;
  {
    // 50 m blocks over the envelopes, named "Brr-cc" (row from the south,
    // column from the west), counter-clockwise, on the 420 m bench.
    File out(dir + "/blocks.dig");
    if (out.f == nullptr) return 1;
    constexpr double kX0 = 9650.0, kY0 = 19700.0, kSize = 50.0, kBench = 420.0;
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 12; ++c) {
        const double x = kX0 + kSize * c, y = kY0 + kSize * r;
        out.put(format("1 %04u   B%02d-%02d\n", 0u, r + 1, c + 1));
        const Pt corners[4] = {{x, y}, {x + kSize, y}, {x + kSize, y + kSize}, {x, y + kSize}};
        for (const Pt& p : corners) out.put(format("2%10.2f%10.2f%10.2f\n", p.x, p.y, kBench));
        ++blocks;
      }
    ok = out.close() && ok;
  }
  {
    // X 1-10, Y 11-20, Elevation 21-30; 40 x 40 points 20 m apart.
    File out(dir + "/topography.dat");
    if (out.f == nullptr) return 1;
    for (int j = 0; j < 40; ++j)
      for (int i = 0; i < 40; ++i) {
        const double x = 9600.0 + 20.0 * i, y = 19600.0 + 20.0 * j;
        out.put(format("%10.2f%10.2f%10.2f\n", x, y, topography(x, y)));
      }
    ok = out.close() && ok;
  }
  if (!ok) {
    std::fprintf(stderr, "qx_demo_data: could not write the files in %s\n", dir.c_str());
    return 1;
  }

  // What was made, for the reader (and for tuning).
  int missingAu = 0, missingSg = 0;
  for (const Composite& c : composites) {
    missingAu += c.au == kMissing;
    missingSg += c.sg == kMissing;
  }
  std::printf("%zu composites in %d holes; Au missing %d, SG missing %d\n", composites.size(),
              kSections * kHolesPerSection, missingAu, missingSg);
  int outside = 0;
  double outsideAu = 0.0;
  int outsideN = 0;
  for (std::size_t e = 0; e < all.size(); ++e) {
    int n = 0, nAu = 0;
    double sumAu = 0.0;
    for (const Composite& c : composites) {
      // The first envelope in file order that holds the composite.
      std::size_t owner = all.size();
      for (std::size_t k = 0; k < all.size() && owner == all.size(); ++k)
        if (inside(all[k].outline, c.x, c.y)) owner = k;
      if (owner != e) continue;
      ++n;
      if (c.au != kMissing) sumAu += c.au, ++nAu;
    }
    std::printf("%-10s area %9.0f m2, %4d composites, mean Au %.2f g/t\n", all[e].name, area(all[e].outline), n,
                nAu > 0 ? sumAu / nAu : 0.0);
  }
  for (const Composite& c : composites) {
    bool in = false;
    for (const Lens& lens : all) in = in || inside(lens.outline, c.x, c.y);
    if (in) continue;
    ++outside;
    if (c.au != kMissing) outsideAu += c.au, ++outsideN;
  }
  std::printf("outside every envelope: %d composites, mean Au %.2f g/t\n", outside,
              outsideN > 0 ? outsideAu / outsideN : 0.0);
  std::printf("%d blocks, 1600 topography points\n", blocks);
  return 0;
}
