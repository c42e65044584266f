// SPDX-License-Identifier: MIT
// A growing byte buffer that writers append a whole document to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include <korvel/binary_data.h>

namespace Korvel::detail {

// One malloc block that doubles as it fills: a large one is remapped by the
// system rather than copied, and backed by huge pages where it can be. Take
// hands the block to a CBinaryData without copying it.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ~ByteBuffer();

  // Room for n more bytes at the end; Advance then says where the written part ends.
  char* Room(size_t n) {
    if (static_cast<size_t>(m_end - m_next) < n) Grow(n);
    return m_next;
  }
  void Advance(char* end) noexcept { m_next = end; }

  void Append(const void* bytes, size_t n) {
    if (n == 0) return;
    char* d = Room(n);
    std::memcpy(d, bytes, n);
    m_next = d + n;
  }
  void Append(std::string_view bytes) { Append(bytes.data(), bytes.size()); }
  void Append(uint8_t byte) {
    *Room(1) = static_cast<char>(byte);
    ++m_next;
  }

  size_t Size() const noexcept { return static_cast<size_t>(m_next - m_begin); }
  const char* Data() const noexcept { return m_begin; }
  // Forgets the bytes, keeping the memory.
  void Clear() noexcept { m_next = m_begin; }
  // The bytes; the buffer is empty afterwards. Throws std::length_error
  // beyond what a CBinaryData holds.
  CBinaryData Take();

 private:
  void Grow(size_t n);

  char* m_begin = nullptr;  // from malloc
  char* m_next = nullptr;
  char* m_end = nullptr;
};

}  // namespace Korvel::detail
