// SPDX-License-Identifier: MIT
// The shared record behind CBinaryData, and the access that lets library code
// fill a CBinaryData in place instead of building the bytes elsewhere first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include <korvel/binary_data.h>
#include <korvel/critical_section.h>

namespace Korvel::detail {

struct FreeDeleter {
  void operator()(void* p) const noexcept { std::free(p); }
};
// Bytes from malloc, as records hold them, owned until handed over.
using MallocBytes = std::unique_ptr<unsigned char, FreeDeleter>;

// malloc that throws std::bad_alloc; 0 bytes still gives a distinct pointer.
MallocBytes AllocateBytes(size_t n);
// n as a record length; throws std::length_error beyond 4 GiB.
uint32_t CheckedLength(uint64_t n);

// Shared by every CBinaryData copy that refers to it. The lock guards length,
// capacity, count and the bytes while any holder changes them.
struct BinaryRecord {
  unsigned char* data = nullptr;  // from malloc; never null, even at length 0
  uint32_t length = 0;
  uint32_t capacity = 0;
  int32_t count = 1;
  CKVCriticalSection lock;
};

struct BinaryDataAccess {
  // Makes room for n more bytes at the end, as Append would (separating a shared
  // record, growing the capacity to twice the new length), sets the new length
  // and returns where the n bytes go; their content is left to the caller.
  static unsigned char* Extend(CBinaryData& data, size_t n);
  // Shortens the value to length bytes (no more than it has); 0 leaves it empty.
  static void Truncate(CBinaryData& data, uint32_t length);
  // A fresh value of exactly length bytes (capacity = length), returned with the
  // address of its uninitialised bytes; length 0 gives a record of length 0.
  static CBinaryData Allocate(size_t length, unsigned char*& bytes);
  // A value over bytes (capacity = length), even when length is 0.
  static CBinaryData Adopt(MallocBytes bytes, uint32_t length);
  // The bytes of a value that no other copy shares (after Extend or Allocate).
  static unsigned char* MutableData(CBinaryData& data) noexcept;
  // Capacity of the record, 0 for an empty value (lets tests check the growth rules).
  static uint32_t Capacity(const CBinaryData& data) noexcept;
  static int32_t ShareCount(const CBinaryData& data) noexcept;
};

}  // namespace Korvel::detail
