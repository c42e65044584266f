// SPDX-License-Identifier: MIT
// Node memory and name interning of a document.
#include "xml/xml_document_data.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

#include "platform/memory.h"

namespace Korvel::detail {

namespace {

// Every depth of a tree up to the shared one has blocks of its own, and a
// deeply nested document has many depths of a node or two: small first blocks
// keep each from taking kilobytes, while a level that fills doubles its blocks
// up to the largest within a few.
constexpr size_t kFirstBlockSize = 256;
constexpr size_t kLargestBlockSize = BlockSource::kBlockSize;
constexpr size_t kPrefaultedBlockSize = kLargestBlockSize;
// Entries of released blocks a node arena keeps before dropping them.
constexpr size_t kDeadEntriesKept = 64;

// Room for one more item before it is made, so that making it cannot leak,
// growing by doubling: reserving one more each time would copy them all.
template <class T>
void ReserveOneMore(std::vector<T>& items) {
  if (items.size() == items.capacity()) items.reserve(std::max<size_t>(16, 2 * items.size()));
}

}  // namespace

// --- BlockSource -----------------------------------------------------------------

void* BlockSource::Take() {
  if (m_next == m_end) {
    if (m_asked < kHeapBlocks) {
      ++m_asked;
      return nullptr;
    }
    ReserveOneMore(m_mappings);
    void* mapping = platform::MapLargeBlock(platform::kHugePageSize);
    if (!mapping) throw std::bad_alloc();
    m_mappings.push_back(mapping);
    m_next = static_cast<char*>(mapping);
    m_end = m_next + platform::kHugePageSize;
  }
  void* block = m_next;
  m_next += kBlockSize;
  return block;
}

void BlockSource::Release() noexcept {
  for (void* mapping : m_mappings) platform::UnmapLargeBlock(mapping, platform::kHugePageSize);
  m_mappings.clear();
  m_next = m_end = nullptr;
  m_asked = 0;
}

// --- BlockChain ------------------------------------------------------------------

BlockChain::Block* BlockChain::Add(size_t bytes) {
  static_assert(sizeof(Block) <= kHeaderSize && kHeaderSize % alignof(std::wstring) == 0);
  static_assert(platform::kHugePageSize % BlockSource::kBlockSize == 0);
  const size_t size = std::max(m_nextSize ? m_nextSize : kFirstBlockSize, kHeaderSize + bytes);
  void* memory = size == BlockSource::kBlockSize && m_source ? m_source->Take() : nullptr;
  const bool mapped = memory != nullptr;
  if (!mapped) {
    memory = std::malloc(size);
    if (!memory) throw std::bad_alloc();
    // A block of the largest size, or made for one large request, is filled
    // to its end: its pages are mapped in with one call rather than a fault
    // each. Smaller blocks, which a small document may leave mostly unused,
    // fault in as they fill.
    if (size >= kPrefaultedBlockSize) platform::PrefaultForWrite(memory, size);
  }
  m_newest = new (memory) Block{m_newest, size, mapped};
  m_nextSize = std::min(std::max(m_nextSize, kFirstBlockSize) * 2, kLargestBlockSize);
  return m_newest;
}

void BlockChain::Release() noexcept {
  while (m_newest) {
    Block* previous = m_newest->previous;
    Free(m_newest);
    m_newest = previous;
  }
  m_nextSize = 0;
}

// A block from a BlockSource stays mapped until the source lets go of all.
void BlockChain::Free(Block* block) noexcept {
  if (!block->mapped) std::free(block);
}

void BlockChain::ReleaseOlderThan(Block* keep) noexcept {
  for (Block* block = std::exchange(keep->previous, nullptr); block;) {
    Block* previous = block->previous;
    Free(block);
    block = previous;
  }
}

// --- NodeArena -------------------------------------------------------------------

void NodeArena::StartBlock(size_t size) {
  ReserveOneMore(m_order);
  BlockChain::Block* block = m_blocks.Add(size);
  m_order.push_back({block, m_strings ? m_strings->Newest() : nullptr});
  m_next = block->Begin();
  m_end = block->End();
}

void NodeArena::Release() noexcept {
  m_blocks.Release();
  m_order.clear();
  m_firstLive = 0;
  m_next = m_end = nullptr;
}

const BlockChain::Block* NodeArena::LiveBlockOf(const void* node) const noexcept {
  for (size_t i = m_firstLive; i < m_order.size(); ++i) {
    if (Holds(m_order[i].nodes, node)) return m_order[i].nodes;
  }
  return nullptr;
}

void NodeArena::ReleaseBlocksBefore(const void* node) noexcept {
  const char* at = static_cast<const char*>(node);
  for (size_t i = m_firstLive; i < m_order.size(); ++i) {
    BlockChain::Block* block = m_order[i].nodes;
    if (at < block->Begin() || at >= block->End()) continue;
    if (i == m_firstLive) return;
    BlockChain::ReleaseOlderThan(block);
    if (m_strings) m_strings->ReleaseOlderThan(m_order[i].newestStrings);
    m_firstLive = i;
    // A read that goes on for long drops the entries of released blocks.
    if (m_firstLive >= kDeadEntriesKept && 2 * m_firstLive >= m_order.size()) {
      m_order.erase(m_order.begin(), m_order.begin() + static_cast<std::ptrdiff_t>(m_firstLive));
      m_firstLive = 0;
    }
    return;
  }
}

// --- StringPool ------------------------------------------------------------------

StringPool::~StringPool() { Release(); }

std::wstring* StringPool::New(std::wstring_view text) {
  if (!m_recycled.empty()) {
    std::wstring* recycled = m_recycled.back();
    recycled->assign(text);
    m_recycled.pop_back();
    return recycled;
  }
  if (m_next == m_end) {
    BlockChain::Block* block = m_blocks.Add(sizeof(std::wstring));
    m_next = reinterpret_cast<std::wstring*>(block->Begin());
    m_end = m_next + (block->size - BlockChain::kHeaderSize) / sizeof(std::wstring);
  }
  // Constructed in place: the slot is taken only once the string exists.
  std::wstring* made = new (m_next) std::wstring(text);
  ++m_next;
  return made;
}

bool StringPool::Recycle(std::wstring* text) noexcept {
  if (text + 1 == m_next) {
    // The slot handed out last (a reader that found a shared value after
    // all): it is simply handed out again.
    text->~basic_string();
    --m_next;
    return true;
  }
  std::wstring().swap(*text);
  try {
    m_recycled.push_back(text);
  } catch (...) {
    // Not reused then; the empty string is destroyed with the others.
  }
  return false;
}

void StringPool::DestroyFull(BlockChain::Block* block) noexcept {
  auto* slot = reinterpret_cast<std::wstring*>(block->Begin());
  auto* end = slot + (block->size - BlockChain::kHeaderSize) / sizeof(std::wstring);
  for (; slot != end; ++slot) slot->~basic_string();
}

// Every block older than the newest is full of strings.
void StringPool::ReleaseOlderThan(BlockChain::Block* keep) noexcept {
  if (!keep || !m_recycled.empty()) return;  // recycled slots may lie in any block
  for (BlockChain::Block* block = keep->previous; block; block = block->previous) {
    DestroyFull(block);
  }
  BlockChain::ReleaseOlderThan(keep);
}

void StringPool::Release() noexcept {
  for (BlockChain::Block* block = m_blocks.Newest(); block; block = block->previous) {
    if (block == m_blocks.Newest()) {
      auto* slot = reinterpret_cast<std::wstring*>(block->Begin());
      for (; slot != m_next; ++slot) slot->~basic_string();
    } else {
      DestroyFull(block);
    }
  }
  m_blocks.Release();
  m_next = m_end = nullptr;
  m_recycled.clear();
}

// --- TextTable -------------------------------------------------------------------

const std::wstring* TextTable::Intern(std::wstring_view text) {
  const uint64_t hash = m_hash(text);
  if (std::wstring* found =
          m_index.Find(hash, [text](const std::wstring& held) { return held == text; })) {
    return found;
  }
  std::wstring& held = m_texts.Add();
  try {
    held.assign(text);
    m_index.Add(hash, &held);
  } catch (...) {
    m_texts.DropLast();
    throw;
  }
  return &held;
}

void TextTable::Clear() noexcept {
  m_index.Clear();
  m_texts.Clear();
}

// --- XmlNameTable ----------------------------------------------------------------

uint64_t XmlNameTable::Hash(std::wstring_view namespaceUri,
                            std::wstring_view localName) const noexcept {
  const uint64_t local = m_hash(localName);
  return local ^ (m_hash(namespaceUri) + 0x9E3779B97F4A7C15ull + (local << 6) + (local >> 2));
}

XmlNameTable::XmlNameTable(CXmlDocument* document) : m_document(document) {}

const XmlName* XmlNameTable::Intern(std::wstring_view namespaceUri, std::wstring_view localName) {
  const uint64_t hash = Hash(namespaceUri, localName);
  const auto same = [&](const XmlName& name) {
    return name.localName == localName && name.namespaceUri == namespaceUri;
  };
  if (const XmlName* found = m_index.Find(hash, same)) return found;
  XmlName& name = m_names.Add();
  try {
    name.localName.assign(localName);
    name.namespaceUri.assign(namespaceUri);
    name.document = m_document;
    m_index.Add(hash, &name);
  } catch (...) {
    m_names.DropLast();
    throw;
  }
  return &name;
}

void XmlNameTable::Clear() noexcept {
  m_index.Clear();
  m_names.Clear();
}

}  // namespace Korvel::detail
