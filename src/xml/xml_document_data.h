// SPDX-License-Identifier: MIT
// What a CXmlDocument keeps behind its public face: node memory, interned
// names, the open-element stack and the namespace declarations.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <korvel/variant.h>
#include <korvel/xml_document.h>

#include "runtime/keyed_hash.h"
#include "xml/intern_storage.h"
#include "xml/xml_tree_builder.h"

namespace Korvel::detail {

// Free slots of one size, threaded through the dead slots themselves, so that
// subtrees removed by the element filter make room for the elements after them.
class FreeList {
 public:
  void* Take() noexcept {
    Slot* slot = m_head;
    if (slot) m_head = slot->next;
    return slot;
  }
  void Give(void* memory) noexcept {
    auto* slot = static_cast<Slot*>(memory);
    slot->next = m_head;
    m_head = slot;
  }
  void Reset() noexcept { m_head = nullptr; }

 private:
  struct Slot {
    Slot* next;
  };
  Slot* m_head = nullptr;
};

// The blocks of the largest size for every chain of one large document: cut
// from mappings of huge-page size, as a fresh page costs a page fault, which
// on a virtual machine can cost more than filling the page, and a huge page
// costs one fault and one TLB entry per 2 MiB. The blocks go with the
// document, all at once. Not for a document read into objects, which gives
// its blocks back as the read goes on for the objects to reuse.
class BlockSource {
 public:
  static constexpr size_t kBlockSize = size_t{32} << 10;

  BlockSource() = default;
  BlockSource(const BlockSource&) = delete;
  BlockSource& operator=(const BlockSource&) = delete;
  ~BlockSource() { Release(); }

  // kBlockSize bytes; null for the first kHeapBlocks asked for, which the
  // caller takes from the heap. Throws std::bad_alloc.
  void* Take();
  // Unmaps every block, none of which may be in use any more.
  void Release() noexcept;

 private:
  // What a document of a few MiB takes from the heap: no mapping of 2 MiB,
  // most of which it would not use, for each of many such documents.
  static constexpr size_t kHeapBlocks = 128;

  size_t m_asked = 0;
  std::vector<void*> m_mappings;
  char* m_next = nullptr;  // the blocks of the newest mapping not handed out
  char* m_end = nullptr;
};

// Blocks that double in size from 4 KiB, so that a small document costs one
// small allocation, up to 32 KiB: a read gives a tree back block by block at
// every depth, and what waits in partly read blocks must stay small beside the
// objects. They come from the heap, so that a tree reuses the memory the
// objects of an earlier read gave back, and the objects of a read reuse what
// the tree gives back; but for a large document not read into objects, blocks
// of the largest size come from the document's BlockSource. Freeing a chunk
// of 64 KiB or more makes malloc merge all its small free chunks, which during
// a read are many (the tree's strings, the objects' temporaries): a block that
// size given back every few hundred elements would make it do that over and
// over.
class BlockChain {
 public:
  struct Block {
    Block* previous;
    size_t size;  // including this header
    bool mapped;  // from a BlockSource, not the heap
    char* Begin() noexcept { return reinterpret_cast<char*>(this) + kHeaderSize; }
    char* End() noexcept { return reinterpret_cast<char*>(this) + size; }
  };
  static constexpr size_t kHeaderSize = 32;

  explicit BlockChain(BlockSource* source = nullptr) noexcept : m_source(source) {}
  BlockChain(const BlockChain&) = delete;
  BlockChain& operator=(const BlockChain&) = delete;
  ~BlockChain() { Release(); }

  // A new newest block with room for at least bytes; throws std::bad_alloc.
  Block* Add(size_t bytes);
  Block* Newest() const noexcept { return m_newest; }
  void Release() noexcept;
  // Frees every block older than keep, which stays.
  static void ReleaseOlderThan(Block* keep) noexcept;

 private:
  static void Free(Block* block) noexcept;

  BlockSource* m_source;
  Block* m_newest = nullptr;
  size_t m_nextSize = 0;
};

// The strings of a tree (texts and attribute values), in blocks of slots that
// are destroyed in one sweep: tearing a tree down needs no walk over its nodes.
// Slots are handed out in order, so that the blocks of strings made before a
// given time can go together with the nodes that own them.
class StringPool {
 public:
  explicit StringPool(BlockSource* source = nullptr) noexcept : m_blocks(source) {}
  StringPool(const StringPool&) = delete;
  StringPool& operator=(const StringPool&) = delete;
  ~StringPool();

  // A string holding text, made at its size; throws std::bad_alloc.
  std::wstring* New(std::wstring_view text = {});
  // Empties the string, releasing its memory, and keeps the slot for New.
  // False when the slot will be reused out of order (it is not the one handed
  // out last): ReleaseOlderThan must then not be called any more.
  bool Recycle(std::wstring* text) noexcept;
  // The block New takes slots from, or null.
  BlockChain::Block* Newest() const noexcept { return m_blocks.Newest(); }
  // Destroys the strings of the blocks older than keep (if any) and frees them.
  void ReleaseOlderThan(BlockChain::Block* keep) noexcept;
  // Destroys every string and frees the blocks.
  void Release() noexcept;

 private:
  static void DestroyFull(BlockChain::Block* block) noexcept;

  BlockChain m_blocks;
  std::wstring* m_next = nullptr;  // the unused slots of the newest block
  std::wstring* m_end = nullptr;
  std::vector<std::wstring*> m_recycled;
};

// Bump allocation for the nodes of a tree. An arena may have a companion
// pool for the strings its nodes own: when blocks of nodes are given back,
// the strings made before the oldest remaining node go with them.
class NodeArena {
 public:
  explicit NodeArena(StringPool* strings = nullptr, BlockSource* source = nullptr) noexcept
      : m_blocks(source), m_strings(strings) {}

  // size bytes aligned for pointers; throws std::bad_alloc.
  void* Allocate(size_t size) {
    size = (size + alignof(void*) - 1) & ~(alignof(void*) - 1);
    if (static_cast<size_t>(m_end - m_next) < size) StartBlock(size);
    void* memory = m_next;
    m_next += size;
    return memory;
  }
  // Frees every block; whatever lived in them must be done with.
  void Release() noexcept;
  // Frees the blocks older than the one holding node, whose nodes must all be
  // done with, and the companion pool's strings made before that block. Calls
  // come in allocation order, so the search is short.
  void ReleaseBlocksBefore(const void* node) noexcept;
  // The live block holding node, or null.
  const BlockChain::Block* LiveBlockOf(const void* node) const noexcept;
  bool IsOldestLive(const BlockChain::Block* block) const noexcept {
    return m_firstLive < m_order.size() && m_order[m_firstLive].nodes == block;
  }
  static bool Holds(const BlockChain::Block* block, const void* node) noexcept {
    const char* at = static_cast<const char*>(node);
    const char* begin = reinterpret_cast<const char*>(block);
    return at >= begin + BlockChain::kHeaderSize && at < begin + block->size;
  }

 private:
  // A block of nodes and the pool's newest block when it was started: the
  // nodes of this block and later ones own no string in an older pool block
  // (a node is made before its strings).
  struct LiveBlock {
    BlockChain::Block* nodes;
    BlockChain::Block* newestStrings;
  };

  void StartBlock(size_t size);

  BlockChain m_blocks;
  StringPool* m_strings;
  std::vector<LiveBlock> m_order;  // oldest first, from m_firstLive on
  size_t m_firstLive = 0;
  char* m_next = nullptr;
  char* m_end = nullptr;
};

// Short texts held once for the whole document, looked up by content.
class TextTable {
 public:
  static constexpr size_t kLongest = 256;

  const std::wstring* Intern(std::wstring_view text);
  // Whether text is one of the table's own strings (not one that is equal).
  bool Holds(const std::wstring* text) const noexcept { return m_texts.Holds(text); }
  void Clear() noexcept;

 private:
  KeyedHash m_hash;
  StableChunks<std::wstring> m_texts;
  HashIndex<std::wstring> m_index;
};

// When a reader shares repeated short values (quantities, prices, dates,
// codes, names from a small set: data documents repeat them) through the
// document's TextTable. Values that rarely repeat are not worth the lookups:
// sharing stops when, past a trial, fewer values were repeats than distinct,
// and no value is added once most are shared. A reader may also keep a
// policy per element or attribute name, as the values of one name mostly
// repeat or mostly do not; a name's shorter trial and smaller table keep the
// lookups in the cache. Either way a document holds at most kMost shared
// values.
class SharingPolicy {
 public:
  // In characters, or in bytes for UTF-8 lookups; within TextTable::kLongest.
  static constexpr size_t kLongest = 64;
  static constexpr size_t kMost = size_t{1} << 16;  // a few MiB of table
  // Distinct values before the repeats must keep up, and values a policy
  // adds at most: a document's, and a name's.
  static constexpr size_t kDocumentTrial = 1024;
  static constexpr size_t kNameTrial = 64;
  static constexpr size_t kNameMost = 1024;

  // A document's policy by default.
  explicit SharingPolicy(size_t trial = kDocumentTrial, size_t most = kMost) noexcept
      : m_trial(trial), m_most(most) {}

  bool Wants(size_t size) const noexcept { return m_on && size != 0 && size <= kLongest; }
  void Hit() noexcept { ++m_hits; }
  // A value not shared yet, with shared values held so far: whether to
  // share it from now on.
  bool Admit(size_t shared) noexcept {
    if (m_distinct >= m_trial && m_hits < m_distinct) m_on = false;
    if (!m_on || m_distinct >= m_most || shared >= kMost) return false;
    ++m_distinct;
    return true;
  }

 private:
  size_t m_trial;
  size_t m_most;
  size_t m_distinct = 0;
  size_t m_hits = 0;
  bool m_on = true;
};

// The qualified names of one document, each held once.
class XmlNameTable {
 public:
  explicit XmlNameTable(CXmlDocument* document);
  const XmlName* Intern(std::wstring_view namespaceUri, std::wstring_view localName);
  // Forgets every name.
  void Clear() noexcept;

 private:
  uint64_t Hash(std::wstring_view namespaceUri, std::wstring_view localName) const noexcept;

  KeyedHash m_hash;
  StableChunks<XmlName> m_names;
  HashIndex<XmlName> m_index;
  CXmlDocument* m_document;
};

// The string of every element without text and of every empty attribute
// value. Inline: every element is made with it.
inline const std::wstring& EmptyText() noexcept {
  static const std::wstring empty;
  return empty;
}

struct OpenElement {
  CXmlElement* element;
  // The sibling before it, so that the filter can unlink it from a singly
  // linked list without a scan.
  CXmlElement* previousSibling;
};

// The prefixes an element binds (the empty one for the default namespace).
struct NamespaceDeclaration {
  std::wstring prefix;
  std::wstring namespaceUri;
};
using NamespaceDeclarations = std::vector<NamespaceDeclaration>;

// The nodes of one depth: its elements, their attributes and attribute
// blocks, and the strings they own, in document order. A reader that consumes
// the tree in document order can so give back, level by level, the subtrees
// it is done with, texts included.
struct NodeLevel {
  explicit NodeLevel(BlockSource* source = nullptr) noexcept
      : strings(source), arena(&strings, source) {}
  NodeLevel(const NodeLevel&) = delete;
  NodeLevel& operator=(const NodeLevel&) = delete;

  StringPool strings;  // before the arena, which refers to it
  NodeArena arena;
  // Attribute blocks by power-of-two capacity.
  FreeList freeAttributeBlocks[32];
};

// Children given back by a read while their parent is still being read, by
// interned name: the paths of the siblings after them count them in their
// positions, adding up the names that print alike.
struct ReleasedChildren {
  const XmlName* name;
  size_t count;
};

// The siblings a read has finished under the parent it is reading at one
// depth, counted by name as the read passes them, while they are at hand:
// when their memory is given back, the counts are ready.
struct SiblingTally {
  const CXmlElement* parent = nullptr;
  const CXmlElement* next = nullptr;  // the first sibling not counted yet
  std::vector<ReleasedChildren> counts;
};

struct XmlDocumentData {
  explicit XmlDocumentData(CXmlDocument* document) : names(document) {}

  // Depths from here on share one level: a document nested deeper than any
  // schema goes (a hostile one, mostly) costs its nodes, not a level's books
  // and first blocks at every depth. Nothing of the shared level is given
  // back before the document goes, as its nodes lie out of depth order.
  static constexpr size_t kSharedDepth = 256;

  // The nodes at depth, the document element's being 0.
  NodeLevel& Level(size_t depth) {
    const size_t index = std::min(depth, kSharedDepth);
    while (levels.size() <= index) {
      levels.push_back(std::make_unique<NodeLevel>(nodesInHeap ? nullptr : &blockSource));
    }
    return *levels[index];
  }
  // The level of depth if it has been made, or null.
  NodeLevel* MadeLevel(size_t depth) const noexcept {
    const size_t index = std::min(depth, kSharedDepth);
    return index < levels.size() ? levels[index].get() : nullptr;
  }
  // The level of depth if it has been made and is depth's alone, so that a
  // read may give its nodes back in order; or null.
  NodeLevel* OwnLevel(size_t depth) const noexcept {
    return depth < kSharedDepth ? MadeLevel(depth) : nullptr;
  }

  // Before the levels, whose blocks it holds.
  BlockSource blockSource;
  // Set for the whole life of a document loaded to be read into objects: see
  // XmlTreeBuilder::KeepNodesInHeap.
  bool nodesInHeap = false;
  // Each level where it was made, as its arena refers to its pool; a vector,
  // as levels are indexed once per node and string.
  std::vector<std::unique_ptr<NodeLevel>> levels;
  FreeList freeElements;
  FreeList freeAttributes;
  // Set when memory of removed or outgrown nodes or strings has been reused:
  // it lies out of document order, so no level is given back while reading
  // objects.
  bool reusesNodes = false;
  // Set by an entry point that reads objects from a document of its own: each
  // element read gives back the deeper nodes before its end (see
  // XmlTreeBuilder::ReleaseReadContent). An in-line group may rewind to elements
  // it has read, so nothing is given back while one is read.
  bool consumedByRead = false;
  int groupReads = 0;
  // Objects being read from the document, one inside the other.
  int nestedObjectReads = 0;
  // The names noted with the description they matched in the read going on
  // (see XmlName::matchedBy), to be forgotten when it ends: the cost stays
  // with the names a read meets, whatever the document holds.
  std::vector<const XmlName*> matchedNames;
  // The carriers an object reader fills value after value, one per kind, so
  // that the object each holds is allocated once per document.
  KvVariant readCarriers[it_integer + 1];
  XmlNameTable names;
  TextTable layoutTexts;
  std::vector<OpenElement> openElements;
  // Prefix to namespace URI, for the whole document (not scoped).
  std::map<std::wstring, std::wstring, std::less<>> aliases;
  // The scoped declarations, held only for the elements that make them (the
  // elements below them share their scope; see XmlAttributeBlock), and those
  // read for the element about to open.
  std::deque<NamespaceDeclarations> declarations;
  NamespaceDeclarations pendingDeclarations;
  std::unordered_map<const CXmlElement*, std::vector<ReleasedChildren>> releasedChildren;
  std::vector<SiblingTally> siblingTallies;  // by depth
};

}  // namespace Korvel::detail
