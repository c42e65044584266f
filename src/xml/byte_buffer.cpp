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
  const size_t capacity = std::max(kInitialCapacity, 2 * (size + n));
  void* grown = std::realloc(m_begin, capacity);
  if (grown == nullptr) throw std::bad_alloc();
  m_begin = static_cast<char*>(grown);
  m_next = m_begin + size;
  m_end = m_begin + capacity;
  // The new part is written once, front to back.
  platform::AdviseHugePages(m_next, capacity - size);
}

}  // namespace Korvel::detail
