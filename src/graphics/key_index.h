#pragma once
// Flat storage behind the scene tree's keys. A scene may hold millions of
// markers (one per composite), so neither the items nor the user keys get a
// heap node of their own:
//
//   KeyIndex      an open-addressing map from a key to a key (the user keys
//                 of each owner): linear probing with Robin Hood placement in
//                 a power-of-two table, entries moved back on erase so no
//                 tombstones pile up.
//   TreeKeyPages  the tree's own keys to slot numbers, as a page table.
//   ChunkedStore  the items in chunks of 2 MiB, found through TreeKeyPages.
//                 Chunks never move, so an Item stays at its address until it
//                 is removed; freed slots are reused.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "graphics/types.h"

namespace qx::gfx {

// Storage for the large blocks of the tree (item chunks, big key tables):
// raw bytes aligned to 2 MiB. On Linux a block of that size or more asks the
// kernel for huge pages, so a million markers fault in a few hundred pages
// instead of tens of thousands; elsewhere, or when the kernel declines, the
// pages are ordinary ones.
struct BlockFree {
  static constexpr std::size_t kBlockAlignment = std::size_t{2} << 20;
  std::size_t alignment = kBlockAlignment;
  void operator()(unsigned char* p) const { ::operator delete (p, std::align_val_t{alignment}); }
};
using Block = std::unique_ptr<unsigned char[], BlockFree>;

// Smaller blocks are ordinary cache-line aligned allocations.
inline Block allocateBlock(std::size_t bytes) {
  const bool large = bytes >= BlockFree::kBlockAlignment;
  const std::size_t alignment = large ? BlockFree::kBlockAlignment : 64;
  Block block(static_cast<unsigned char*>(::operator new (bytes, std::align_val_t{alignment})), BlockFree{alignment});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (large) madvise(block.get(), bytes, MADV_HUGEPAGE);  // only a hint
#endif
  return block;
}

class KeyIndex {
 public:
  // No key of the tree (negative, counting down from -1) nor any user key
  // (zero or positive) is ever this value.
  static constexpr Key kVacant = std::numeric_limits<Key>::min();

  KeyIndex() = default;
  KeyIndex(const KeyIndex& other) : mask_(other.mask_), size_(other.size_), scrambled_(other.scrambled_) {
    if (other.capacity() == 0) return;
    allocate(other.capacity());
    std::copy_n(other.table_, other.capacity(), table_);
  }
  KeyIndex(KeyIndex&& other) noexcept
      : block_(std::move(other.block_)),
        table_(std::exchange(other.table_, nullptr)),
        mask_(std::exchange(other.mask_, 0)),
        size_(std::exchange(other.size_, 0)),
        scrambled_(std::exchange(other.scrambled_, false)) {}
  KeyIndex& operator=(KeyIndex other) noexcept {
    swap(other);
    return *this;
  }
  void swap(KeyIndex& other) noexcept {
    block_.swap(other.block_);
    std::swap(table_, other.table_);
    std::swap(mask_, other.mask_);
    std::swap(size_, other.size_);
    std::swap(scrambled_, other.scrambled_);
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // The value stored for `key`, or nullptr.
  const Key* find(Key key) const {
    const std::size_t i = position(key);
    return i == kNowhere ? nullptr : &table_[i].value;
  }
  Key* find(Key key) {
    const std::size_t i = position(key);
    return i == kNowhere ? nullptr : &table_[i].value;
  }
  bool contains(Key key) const { return position(key) != kNowhere; }

  // Stores `value` for `key` unless the key is there already; returns the
  // value stored for it (the new one or the one found).
  Key& insert(Key key, Key value) {
    if (Key* found = find(key)) return *found;
    if ((size_ + 1) * 8 > capacity() * 7) grow();
    bool longRun = false;
    Key& stored = place(key, value, longRun);
    if (!longRun || scrambled_) return stored;
    rebuild(capacity(), true);
    return *find(key);
  }

  // Stores `value` for `key`, replacing what was there.
  void set(Key key, Key value) { insert(key, value) = value; }

  // Removes `key`; false when it was not there.
  bool erase(Key key) {
    std::size_t i = position(key);
    if (i == kNowhere) return false;
    // Backward shift: the entries after it that are away from home move one
    // step back; the first vacant entry or entry at home ends the run.
    for (std::size_t j = (i + 1) & mask_; table_[j].key != kVacant && distance(j) != 0; j = (j + 1) & mask_) {
      table_[i] = table_[j];
      i = j;
    }
    table_[i] = Entry{};
    --size_;
    return true;
  }

  void clear() { *this = KeyIndex(); }

  // Every (key, value) pair, in no particular order.
  template <typename F>
  void forEach(F&& f) const {
    for (std::size_t i = 0; i < capacity(); ++i)
      if (table_[i].key != kVacant) f(table_[i].key, table_[i].value);
  }

 private:
  struct Entry {
    Key key = kVacant;
    Key value = kNoKey;
  };
  static constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);
  static constexpr std::size_t kLongRun = 32;

  // The keys come in runs: the tree counts its own keys down and user keys
  // are mostly indices. Their low bits address the table directly, so a run
  // lands in neighbouring entries and a run of lookups walks memory in order.
  // Robin Hood placement keeps the probe runs short when keys do collide.
  // Keys that pile up all the same (a stride of a power of two) make a long
  // run; the table then scrambles the keys with a multiplicative hash.
  std::size_t home(Key key) const {
    const auto k = static_cast<std::uint64_t>(key);
    if (scrambled_) return static_cast<std::size_t>((k * 0x9E3779B97F4A7C15ull) >> 32) & mask_;
    return static_cast<std::size_t>(k ^ (k >> 32)) & mask_;
  }
  // How far the entry at i lies from its home.
  std::size_t distance(std::size_t i) const { return (i - home(table_[i].key)) & mask_; }

  std::size_t position(Key key) const {
    if (size_ == 0) return kNowhere;
    std::size_t i = home(key);
    for (std::size_t d = 0;; ++d, i = (i + 1) & mask_) {
      const Key k = table_[i].key;
      if (k == key) return i;
      if (k == kVacant || distance(i) < d) return kNowhere;
    }
  }

  // Inserts a key known to be absent, with room in the table.
  // `longRun` is set when the entry went far from its home.
  Key& place(Key key, Key value, bool& longRun) {
    Entry carried{key, value};
    std::size_t i = home(key);
    std::size_t result = kNowhere;
    for (std::size_t d = 0;; ++d, i = (i + 1) & mask_) {
      Entry& e = table_[i];
      if (d > kLongRun) longRun = true;
      if (e.key == kVacant) {
        e = carried;
        if (result == kNowhere) result = i;
        break;
      }
      // The richer entry (nearer its home) gives way to the poorer one.
      if (const std::size_t ed = distance(i); ed < d) {
        std::swap(e, carried);
        if (result == kNowhere) result = i;
        d = ed;
      }
    }
    ++size_;
    return table_[result].value;
  }

  std::size_t capacity() const { return table_ ? mask_ + 1 : 0; }

  // A table of `capacity` vacant entries (a power of two).
  void allocate(std::size_t capacity) {
    block_ = allocateBlock(capacity * sizeof(Entry));
    table_ = reinterpret_cast<Entry*>(block_.get());
    std::uninitialized_fill_n(table_, capacity, Entry{});
    mask_ = capacity - 1;
  }

  void grow() { rebuild(capacity() == 0 ? 16 : capacity() * 2, scrambled_); }

  void rebuild(std::size_t capacity, bool scrambled) {
    KeyIndex old(std::move(*this));
    allocate(capacity);
    scrambled_ = scrambled;
    bool longRun = false;
    old.forEach([&](Key key, Key value) { place(key, value, longRun); });
  }

  Block block_;
  Entry* table_ = nullptr;  // mask_ + 1 entries in block_
  std::size_t mask_ = 0;
  std::size_t size_ = 0;
  bool scrambled_ = false;
};

// A map from the tree's own keys (negative) to slot numbers, as a table of
// pages: the tree hands its keys out one after the other, so the keys of a
// run of inserts share pages and a lookup is two array reads. A page whose
// keys are all gone is released, so the memory follows the live keys and not
// every key ever handed out.
class TreeKeyPages {
 public:
  static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

  TreeKeyPages() = default;
  TreeKeyPages(const TreeKeyPages& other) : size_(other.size_) {
    pages_.reserve(other.pages_.size());
    for (const auto& p : other.pages_) pages_.push_back(p ? std::make_unique<Page>(*p) : nullptr);
  }
  TreeKeyPages(TreeKeyPages&& other) noexcept : pages_(std::move(other.pages_)), size_(std::exchange(other.size_, 0)) {
    other.pages_.clear();
  }
  TreeKeyPages& operator=(TreeKeyPages other) noexcept {
    swap(other);
    return *this;
  }
  void swap(TreeKeyPages& other) noexcept {
    pages_.swap(other.pages_);
    std::swap(size_, other.size_);
  }

  std::size_t size() const { return size_; }

  // The slot of `key`, or kNone.
  std::uint32_t find(Key key) const {
    if (key >= 0) return kNone;
    const std::uint64_t n = number(key);
    const std::uint64_t p = n >> kPageBits;
    if (p >= pages_.size() || !pages_[p]) return kNone;
    return pages_[p]->slotArray[n & kPageMask];
  }

  // `key` must not be present.
  void add(Key key, std::uint32_t slot) {
    const std::uint64_t n = number(key);
    const auto p = static_cast<std::size_t>(n >> kPageBits);
    if (p >= pages_.size()) pages_.resize(p + 1);
    if (!pages_[p]) pages_[p] = std::make_unique<Page>();
    Page& page = *pages_[p];
    page.slotArray[n & kPageMask] = slot;
    ++page.live;
    ++size_;
  }

  void erase(Key key) {
    if (key >= 0) return;
    const std::uint64_t n = number(key);
    const std::uint64_t p = n >> kPageBits;
    if (p >= pages_.size() || !pages_[p]) return;
    Page& page = *pages_[p];
    std::uint32_t& slot = page.slotArray[n & kPageMask];
    if (slot == kNone) return;
    slot = kNone;
    --size_;
    if (--page.live == 0) pages_[p].reset();
  }

  // Every (key, slot) pair, keys from -1 downwards.
  template <typename F>
  void forEach(F&& f) const {
    for (std::size_t p = 0; p < pages_.size(); ++p) {
      if (!pages_[p]) continue;
      for (std::size_t i = 0; i < kPageSize; ++i) {
        const std::uint32_t slot = pages_[p]->slotArray[i];
        if (slot != kNone) f(-static_cast<Key>((p << kPageBits) + i) - 1, slot);
      }
    }
  }

 private:
  static constexpr unsigned kPageBits = 12;
  static constexpr std::size_t kPageSize = std::size_t{1} << kPageBits;
  static constexpr std::uint64_t kPageMask = kPageSize - 1;
  struct Page {
    Page() { std::fill(std::begin(slotArray), std::end(slotArray), kNone); }
    std::uint32_t live = 0;
    std::uint32_t slotArray[kPageSize];
  };

  // -1 is number 0, -2 number 1, and so on.
  static std::uint64_t number(Key key) { return static_cast<std::uint64_t>(-(key + 1)); }

  std::vector<std::unique_ptr<Page>> pages_;
  std::size_t size_ = 0;
};

// The items of a tree by their (negative) key. T is the item type
// (gfx::Item); it needs a `key` member. A slot holds a live T only while a
// key maps to it; a new chunk is left raw, so each slot's memory is written
// once, when its first item is built there.
template <typename T>
class ChunkedStore {
 public:
  ChunkedStore() = default;
  // A copy keeps every item in the same slot, so the free slots carry over.
  ChunkedStore(const ChunkedStore& other) : free_(other.free_), used_(other.used_), index_(other.index_) {
    chunks_.reserve(other.chunks_.size());
    for (std::size_t c = 0; c < other.chunks_.size(); ++c) chunks_.push_back(newChunk());
    std::size_t built = 0;
    try {
      index_.forEach([&](Key, std::uint32_t slot) {
        std::construct_at(address(slot), other.at(slot));
        ++built;
      });
    } catch (...) {
      // Undo the items built so far: those met first in the same order.
      index_.forEach([&](Key, std::uint32_t slot) {
        if (built > 0) {
          std::destroy_at(&at(slot));
          --built;
        }
      });
      throw;
    }
  }
  ChunkedStore(ChunkedStore&& other) noexcept
      : chunks_(std::move(other.chunks_)),
        free_(std::move(other.free_)),
        used_(std::exchange(other.used_, 0)),
        index_(std::move(other.index_)) {
    other.chunks_.clear();
    other.free_.clear();
  }
  ChunkedStore& operator=(ChunkedStore other) noexcept {
    swap(other);
    return *this;
  }
  ~ChunkedStore() {
    index_.forEach([this](Key, std::uint32_t slot) { std::destroy_at(&at(slot)); });
  }

  void swap(ChunkedStore& other) noexcept {
    chunks_.swap(other.chunks_);
    free_.swap(other.free_);
    std::swap(used_, other.used_);
    index_.swap(other.index_);
  }

  std::size_t size() const { return index_.size(); }

  T* find(Key key) {
    const std::uint32_t slot = index_.find(key);
    return slot == TreeKeyPages::kNone ? nullptr : &at(slot);
  }
  const T* find(Key key) const {
    const std::uint32_t slot = index_.find(key);
    return slot == TreeKeyPages::kNone ? nullptr : &at(slot);
  }
  bool contains(Key key) const { return index_.find(key) != TreeKeyPages::kNone; }

  // Stores `value` under `value.key` (negative, not present) and returns it.
  T& add(T&& value) {
    std::uint32_t slot;
    if (!free_.empty()) {
      slot = free_.back();
      free_.pop_back();
    } else {
      slot = used_++;
      if (slot / kChunkSize >= chunks_.size()) chunks_.push_back(newChunk());
    }
    T* stored = std::construct_at(address(slot), std::move(value));
    index_.add(stored->key, slot);
    return *stored;
  }

  // Removes the entry of `key`; its slot's storage is released at once.
  void erase(Key key) {
    const std::uint32_t slot = index_.find(key);
    if (slot == TreeKeyPages::kNone) return;
    index_.erase(key);
    std::destroy_at(&at(slot));
    free_.push_back(slot);
  }

 private:
  // One block of 2 MiB per chunk.
  static constexpr std::size_t kChunkSize = BlockFree::kBlockAlignment / sizeof(T);
  static_assert(kChunkSize > 0 && alignof(T) <= BlockFree::kBlockAlignment);

  static Block newChunk() { return allocateBlock(BlockFree::kBlockAlignment); }

  T* address(std::uint32_t slot) const {
    return reinterpret_cast<T*>(chunks_[slot / kChunkSize].get() + (slot % kChunkSize) * sizeof(T));
  }
  T& at(std::uint32_t slot) { return *std::launder(address(slot)); }
  const T& at(std::uint32_t slot) const { return *std::launder(address(slot)); }

  std::vector<Block> chunks_;
  std::vector<std::uint32_t> free_;
  std::uint32_t used_ = 0;
  TreeKeyPages index_;
};

}  // namespace qx::gfx
