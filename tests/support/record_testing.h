#pragma once
// Project-file record tests: an independent little-endian byte builder for
// golden records, store / load helpers, and one typed suite for what every
// record must do (RecordSuite below).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <concepts>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "io/archive.h"

namespace qx::testing {

using Bytes = std::vector<std::uint8_t>;

// Builds expected bytes by hand: every value little-endian, strings with a
// one-byte length (short strings only).
class B {
 public:
  B& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
  B& u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
  B& f32(float v) { return u32(std::bit_cast<std::uint32_t>(v)); }
  B& f64(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) b_.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    return *this;
  }
  B& str(std::string_view s) {
    EXPECT_LT(s.size(), 255u);
    b_.push_back(static_cast<std::uint8_t>(s.size()));
    b_.insert(b_.end(), s.begin(), s.end());
    return *this;
  }
  B& raw(std::initializer_list<std::uint8_t> bytes) {
    b_.insert(b_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  B& zeros(std::size_t n) {
    b_.insert(b_.end(), n, 0);
    return *this;
  }
  B& add(const Bytes& more) {
    b_.insert(b_.end(), more.begin(), more.end());
    return *this;
  }
  const Bytes& bytes() const { return b_; }
  operator const Bytes&() const { return b_; }

 private:
  Bytes b_;
};

// The record of a rotation with every value zero.
inline Bytes zeroRotation() { return Bytes(52, 0); }

inline Bytes storeWith(const std::function<void(Archive&)>& io) {
  ArchiveWriter w;
  Archive ar(w);
  io(ar);
  return w.take();
}

// Loads and checks that the whole input was used.
inline void loadWith(const Bytes& bytes, const std::function<void(Archive&)>& io) {
  ArchiveReader r(bytes);
  Archive ar(r);
  io(ar);
  EXPECT_TRUE(r.atEnd()) << "bytes left: " << r.remaining();
}

template <class T>
Bytes store(T obj) {
  return storeWith([&](Archive& ar) { obj.serialize(ar); });
}

template <class T>
T load(const Bytes& bytes, T into = T()) {
  loadWith(bytes, [&](Archive& ar) { into.serialize(ar); });
  return into;
}

// The message of the ArchiveError the load raises; "" (and a failure) when none.
inline std::string loadError(const Bytes& bytes, const std::function<void(Archive&)>& io) {
  ArchiveReader r(bytes);
  Archive ar(r);
  try {
    io(ar);
  } catch (const ArchiveError& e) {
    return e.what();
  }
  ADD_FAILURE() << "loaded " << bytes.size() << " bytes without an error";
  return "";
}

template <class T>
void expectLoadFails(const Bytes& bytes) {
  T t;
  ArchiveReader r(bytes);
  Archive ar(r);
  EXPECT_THROW(t.serialize(ar), ArchiveError);
}

inline bool startsWith(const Bytes& bytes, const Bytes& head) {
  return bytes.size() >= head.size() && std::equal(head.begin(), head.end(), bytes.begin());
}
inline bool endsWith(const Bytes& bytes, const Bytes& tail) {
  return bytes.size() >= tail.size() &&
         std::equal(tail.begin(), tail.end(), bytes.end() - static_cast<std::ptrdiff_t>(tail.size()));
}
// Bytes [offset, offset + part.size()) equal part.
inline bool holdsAt(const Bytes& bytes, std::size_t offset, const Bytes& part) {
  return bytes.size() >= offset + part.size() &&
         std::equal(part.begin(), part.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

// Overwrites four bytes at `offset` with a little-endian value.
inline Bytes patched(Bytes bytes, std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes.at(offset + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
  return bytes;
}

// Where a record stores an element count: in `bytes` at `offset`, naming
// `what` in its messages. `negative` is the message for a negative count when
// it is not "negative count of <what> in <record>".
struct CountAt {
  Bytes bytes;
  std::size_t offset;
  std::string what;
  std::string negative = {};
};

// ---------------------------------------------------------------- the suite
//
// One traits struct per record type R:
//   using Type = ...;                         the object
//   static constexpr const char* kContext;    the record, as load errors name it
//   static Bytes defaultBytes();              hand-made golden of Type()
//   static Type populated();                  something in every stored field
//   static std::vector<CountAt> counts();     every count a hostile file can inflate
// optional:
//   static void io(Archive&, Type&);          when not obj.serialize(ar)
//   static Type afterReset();                 populated().reset() when not Type()
// and instantiated with
//   INSTANTIATE_TYPED_TEST_SUITE_P(Name, RecordSuite, ::testing::Types<R>);

template <class R>
void recordIo(Archive& ar, typename R::Type& obj) {
  if constexpr (requires { R::io(ar, obj); })
    R::io(ar, obj);
  else
    obj.serialize(ar);
}
template <class R>
Bytes storeRecord(typename R::Type obj) {
  return storeWith([&](Archive& ar) { recordIo<R>(ar, obj); });
}
template <class R>
typename R::Type loadRecord(const Bytes& bytes, typename R::Type into = typename R::Type()) {
  loadWith(bytes, [&](Archive& ar) { recordIo<R>(ar, into); });
  return into;
}
template <class R>
std::string loadRecordError(const Bytes& bytes) {
  return loadError(bytes, [](Archive& ar) {
    typename R::Type obj;
    recordIo<R>(ar, obj);
  });
}

template <class R>
class RecordSuite : public ::testing::Test {};
TYPED_TEST_SUITE_P(RecordSuite);

// The default object stores as the golden bytes, and those bytes loaded over
// a populated object replace every stored field.
TYPED_TEST_P(RecordSuite, DefaultIsGoldenAndALoadReplacesEverything) {
  using R = TypeParam;
  EXPECT_EQ(storeRecord<R>(typename R::Type()), R::defaultBytes());
  const auto loaded = loadRecord<R>(R::defaultBytes(), R::populated());
  EXPECT_EQ(storeRecord<R>(loaded), R::defaultBytes());
}

// Store, load, store again: the same bytes and, for what is stored, the same object.
TYPED_TEST_P(RecordSuite, RoundTripGivesIdenticalBytes) {
  using R = TypeParam;
  const auto populated = R::populated();
  const Bytes bytes = storeRecord<R>(populated);
  EXPECT_NE(bytes, R::defaultBytes());
  const auto loaded = loadRecord<R>(bytes);
  EXPECT_EQ(storeRecord<R>(loaded), bytes);
  if constexpr (std::equality_comparable<typename R::Type>) {
    EXPECT_TRUE(loaded == populated);
  }
}

// Every strict prefix fails with the archive error naming the record.
TYPED_TEST_P(RecordSuite, EveryTruncatedPrefixThrowsNamingTheRecord) {
  using R = TypeParam;
  const std::string suffix = std::string(" in ") + R::kContext;
  for (const Bytes& bytes : {R::defaultBytes(), storeRecord<R>(R::populated())}) {
    for (std::size_t n = 0; n < bytes.size(); ++n) {
      const std::string why = loadRecordError<R>(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
      ASSERT_TRUE(why.ends_with(suffix)) << n << " of " << bytes.size() << " bytes: " << why;
    }
  }
}

// A huge or negative count is refused, by name, before anything is allocated.
TYPED_TEST_P(RecordSuite, AHugeCountIsRefusedBeforeAllocating) {
  using R = TypeParam;
  const std::string suffix = std::string(" in ") + R::kContext;
  for (const CountAt& c : R::counts()) {
    EXPECT_EQ(loadRecordError<R>(patched(c.bytes, c.offset, 0x7FFFFFFF)),
              "count of 2147483647 " + c.what + " exceeds the rest of the file" + suffix)
        << c.what << " at " << c.offset;
    EXPECT_EQ(loadRecordError<R>(patched(c.bytes, c.offset, 0xFFFFFFFF)),
              c.negative.empty() ? "negative count of " + c.what + suffix : c.negative)
        << c.what << " at " << c.offset;
    loadRecord<R>(c.bytes);  // unpatched, the same bytes load
  }
}

// reset() of a populated object gives the new object (or the type's afterReset()).
TYPED_TEST_P(RecordSuite, ResetGivesTheNewObject) {
  using R = TypeParam;
  auto obj = R::populated();
  obj.reset();
  typename R::Type expected;
  if constexpr (requires { R::afterReset(); }) expected = R::afterReset();
  EXPECT_EQ(storeRecord<R>(obj), storeRecord<R>(expected));
  if constexpr (std::equality_comparable<typename R::Type>) {
    EXPECT_TRUE(obj == expected);
  }
}

REGISTER_TYPED_TEST_SUITE_P(RecordSuite, DefaultIsGoldenAndALoadReplacesEverything, RoundTripGivesIdenticalBytes,
                            EveryTruncatedPrefixThrowsNamingTheRecord, AHugeCountIsRefusedBeforeAllocating,
                            ResetGivesTheNewObject);

}  // namespace qx::testing
