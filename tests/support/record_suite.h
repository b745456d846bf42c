#pragma once
// What every project-file record must do, as one typed suite: the default
// object stores as its hand-made golden bytes, a round trip gives identical
// bytes, every truncated prefix throws the archive error naming the record, a
// huge or negative count is refused before anything is allocated, and reset()
// gives the new object.
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
#include <gtest/gtest.h>

#include <concepts>
#include <string>
#include <vector>

#include "record_testing.h"

namespace qx::testing {

// Where a record stores an element count: in `bytes` at `offset`, naming
// `what` in its messages. `negative` is the message for a negative count when
// it is not "negative count of <what> in <record>".
struct CountAt {
  Bytes bytes;
  std::size_t offset;
  std::string what;
  std::string negative = {};
};

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
