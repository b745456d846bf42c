#pragma once
// Project-file record tests: an independent little-endian byte builder for
// golden records, store / load helpers, and one typed suite for what every
// record must do (RecordSuite below).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
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

}  // namespace qx::testing
