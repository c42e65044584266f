// SPDX-License-Identifier: MIT
// Node memory and name interning of a document.
#include "xml/xml_document_data.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace Korvel::detail {

namespace {

// A first block that holds a small document whole; later blocks double up to a
// size at which the allocation cost per node is negligible.
constexpr size_t kFirstBlockSize = 4096;
constexpr size_t kLargestBlockSize = size_t{1} << 20;
constexpr size_t kAlignment = alignof(void*);

constexpr size_t RoundUp(size_t n) noexcept { return (n + kAlignment - 1) & ~(kAlignment - 1); }

}  // namespace

struct NodeArena::Block {
  Block* previous;
};

NodeArena::~NodeArena() { Release(); }

void* NodeArena::Allocate(size_t size) {
  size = RoundUp(size);
  if (static_cast<size_t>(m_end - m_next) >= size) {
    void* memory = m_next;
    m_next += size;
    return memory;
  }
  return AllocateFromNewBlock(size);
}

void* NodeArena::AllocateFromNewBlock(size_t size) {
  if (!m_blocks) m_nextBlockSize = kFirstBlockSize;
  const size_t header = RoundUp(sizeof(Block));
  // An oversized request (a huge attribute array) gets a block of its own size.
  const size_t blockSize = std::max(m_nextBlockSize, header + size);
  auto* block = static_cast<Block*>(std::malloc(blockSize));
  if (!block) throw std::bad_alloc();
  block->previous = m_blocks;
  m_blocks = block;
  m_next = reinterpret_cast<char*>(block) + header;
  m_end = reinterpret_cast<char*>(block) + blockSize;
  m_nextBlockSize = std::min(m_nextBlockSize * 2, kLargestBlockSize);
  void* memory = m_next;
  m_next += size;
  return memory;
}

void NodeArena::Release() noexcept {
  while (m_blocks) {
    Block* previous = m_blocks->previous;
    std::free(m_blocks);
    m_blocks = previous;
  }
  m_next = m_end = nullptr;
}

// --- StringPool ------------------------------------------------------------------

namespace {
// Slots per block, doubling from a small document's needs to 1 MiB of strings.
constexpr size_t kFirstStringBlock = 32;
constexpr size_t kLargestStringBlock = (size_t{1} << 20) / sizeof(std::wstring);
}  // namespace

struct StringPool::Block {
  Block* previous;
  size_t capacity;
  size_t used;
  std::wstring* Slots() noexcept { return reinterpret_cast<std::wstring*>(this + 1); }
};
StringPool::~StringPool() { Release(); }

std::wstring* StringPool::New() {
  static_assert(sizeof(Block) % alignof(std::wstring) == 0, "slots follow the header");
  if (!m_recycled.empty()) {
    std::wstring* text = m_recycled.back();
    m_recycled.pop_back();
    return text;
  }
  if (!m_blocks || m_blocks->used == m_blocks->capacity) {
    const size_t capacity =
        m_blocks ? std::min(m_blocks->capacity * 2, kLargestStringBlock) : kFirstStringBlock;
    auto* block = static_cast<Block*>(std::malloc(sizeof(Block) + capacity * sizeof(std::wstring)));
    if (!block) throw std::bad_alloc();
    *block = Block{m_blocks, capacity, 0};
    m_blocks = block;
  }
  return new (m_blocks->Slots() + m_blocks->used++) std::wstring();
}

void StringPool::Recycle(std::wstring* text) noexcept {
  std::wstring().swap(*text);
  try {
    m_recycled.push_back(text);
  } catch (...) {
    // Not reused then; the empty string is destroyed with the others.
  }
}

void StringPool::Release() noexcept {
  while (m_blocks) {
    Block* previous = m_blocks->previous;
    std::wstring* slots = m_blocks->Slots();
    for (size_t i = 0; i < m_blocks->used; ++i) slots[i].~basic_string();
    std::free(m_blocks);
    m_blocks = previous;
  }
  m_recycled.clear();
}

// --- TextTable -------------------------------------------------------------------

const std::wstring* TextTable::Intern(std::wstring_view text) {
  const auto found = m_index.find(text);
  if (found != m_index.end()) return found->second;
  const std::wstring& held = m_texts.emplace_back(text);
  try {
    m_index.emplace(held, &held);
  } catch (...) {
    m_texts.pop_back();
    throw;
  }
  return &held;
}

bool TextTable::Holds(const std::wstring* text) const noexcept {
  if (text->empty() || text->size() > kLongest) return false;
  const auto found = m_index.find(*text);
  return found != m_index.end() && found->second == text;
}

void TextTable::Clear() noexcept {
  m_index.clear();
  m_texts.clear();
}

const std::wstring& EmptyText() noexcept {
  static const std::wstring empty;
  return empty;
}

// --- XmlNameTable ----------------------------------------------------------------

size_t XmlNameTable::KeyHash::operator()(const Key& key) const noexcept {
  const size_t local = std::hash<std::wstring_view>()(key.localName);
  const size_t uri = std::hash<std::wstring_view>()(key.namespaceUri);
  return local ^ (uri + 0x9E3779B97F4A7C15ull + (local << 6) + (local >> 2));
}

XmlNameTable::XmlNameTable(CXmlDocument* document) : m_document(document) { Clear(); }

const XmlName* XmlNameTable::Intern(std::wstring_view namespaceUri, std::wstring_view localName) {
  const auto found = m_index.find(Key{namespaceUri, localName});
  if (found != m_index.end()) return found->second;
  const XmlName& name = m_names.emplace_back(
      XmlName{std::wstring(localName), std::wstring(namespaceUri), m_document});
  try {
    m_index.emplace(Key{name.namespaceUri, name.localName}, &name);
  } catch (...) {
    m_names.pop_back();
    throw;
  }
  return &name;
}

void XmlNameTable::Clear() {
  m_index.clear();
  m_names.clear();
  m_empty = nullptr;
  m_empty = Intern({}, {});
}

}  // namespace Korvel::detail
