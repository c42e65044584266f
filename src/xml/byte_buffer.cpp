// SPDX-License-Identifier: MIT
// ByteBuffer: growth and hand-over.
#include "xml/byte_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

#include "platform/memory.h"
#include "values/binary_record.h"

namespace Korvel::detail {

namespace {

constexpr size_t kInitialCapacity = size_t{64} << 10;
// Past this, output is likely to run to many megabytes: the block jumps to
// kMappedCapacity, above the largest size that malloc serves from its heap
// (32 MiB), so that it becomes a mapping of its own that grows by remapping
// instead of copying. Only the pages written are ever backed.
constexpr size_t kHeapCapacity = size_t{1} << 20;
constexpr size_t kMappedCapacity = size_t{64} << 20;

}  // namespace

ByteBuffer::~ByteBuffer() { std::free(m_begin); }

CBinaryData ByteBuffer::Take() {
  const uint32_t length = CheckedLength(Size());
  if (length == 0) return CBinaryData();
  // Shrinking gives the slack of the last doubling back without a copy.
  void* exact = std::realloc(m_begin, length);
  MallocBytes bytes(static_cast<unsigned char*>(exact != nullptr ? exact : m_begin));
  m_begin = m_next = m_end = nullptr;
  return BinaryDataAccess::Adopt(std::move(bytes), length);
}

void ByteBuffer::Grow(size_t n) {
  const size_t size = Size();
  CheckedLength(uint64_t{size} + n);  // a CBinaryData holds no more
  size_t capacity = std::max(kInitialCapacity, 2 * (size + n));
  if (capacity > kHeapCapacity) capacity = std::max(capacity, kMappedCapacity);
  void* grown = std::realloc(m_begin, capacity);
  if (grown == nullptr) throw std::bad_alloc();
  m_begin = static_cast<char*>(grown);
  m_next = m_begin + size;
  m_end = m_begin + capacity;
  // The new part is written once, front to back. The whole block is advised,
  // as one mapping, so that the next growth moves it instead of copying it.
  platform::AdviseHugePages(m_begin, capacity);
}

}  // namespace Korvel::detail
