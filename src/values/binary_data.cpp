// SPDX-License-Identifier: MIT
// CBinaryData: sharing, copy on write and growth of the counted byte record.
#include <korvel/binary_data.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>

#include <korvel/errors.h>

#include "values/binary_record.h"
#include "values/binary_text.h"
#include "values/utf.h"

namespace Korvel {

namespace detail {

namespace {

constexpr wchar_t kIndexOutOfRange[] = L"Index Out of range [%d]";

// Records the library fills by copying reserve room for the appends that
// usually follow; records over adopted or decoded bytes are exactly sized.
constexpr uint64_t kMinCopyCapacity = 8192;
constexpr uint64_t kMaxLength = std::numeric_limits<uint32_t>::max();

[[noreturn]] void ThrowIndexOutOfRange(uint32_t index) {
  throw CKvException(FormatString(kIndexOutOfRange, index));
}

uint32_t ClampCapacity(uint64_t capacity) noexcept {
  return static_cast<uint32_t>(std::min(capacity, kMaxLength));
}

// Capacity of a record that receives a copy of length bytes.
uint32_t CopyCapacity(uint32_t length) noexcept {
  return ClampCapacity(std::max(2 * uint64_t{length}, kMinCopyCapacity));
}

// Capacity after an append that no longer fits.
uint32_t GrowthCapacity(uint32_t length) noexcept { return ClampCapacity(2 * uint64_t{length}); }

BinaryRecord* NewRecord(MallocBytes bytes, uint32_t length, uint32_t capacity) {
  auto* record = new BinaryRecord;
  record->data = bytes.release();
  record->length = length;
  record->capacity = capacity;
  return record;
}

BinaryRecord* CopyRecord(const unsigned char* data, uint32_t length, uint32_t capacity) {
  MallocBytes bytes = AllocateBytes(capacity);
  if (length != 0) std::memcpy(bytes.get(), data, length);
  return NewRecord(std::move(bytes), length, capacity);
}

BinaryRecord* Share(BinaryRecord* record) {
  if (record != nullptr) {
    CKVCriticalSectionLock guard(record->lock);
    ++record->count;
  }
  return record;
}

void Unshare(BinaryRecord* record) noexcept {
  bool last;
  {
    CKVCriticalSectionLock guard(record->lock);
    last = --record->count == 0;
  }
  // Nobody else can reach the record once the count is zero.
  if (last) {
    std::free(record->data);
    delete record;
  }
}

// Gives the holder of record a private copy when others share it.
void SeparateIfShared(BinaryRecord*& record) {
  BinaryRecord* shared = record;
  CKVCriticalSectionLock guard(shared->lock);
  if (shared->count < 2) return;
  record = CopyRecord(shared->data, shared->length, CopyCapacity(shared->length));
  --shared->count;
}

}  // namespace

MallocBytes AllocateBytes(size_t n) {
  void* p = std::malloc(n != 0 ? n : 1);
  if (p == nullptr) throw std::bad_alloc();
  return MallocBytes(static_cast<unsigned char*>(p));
}

uint32_t CheckedLength(uint64_t n) {
  if (n > kMaxLength) throw std::length_error("CBinaryData cannot hold more than 4 GiB");
  return static_cast<uint32_t>(n);
}

unsigned char* BinaryDataAccess::Extend(CBinaryData& data, size_t n) {
  BinaryRecord* record = data.m_record;
  if (n == 0) return record != nullptr ? record->data + record->length : nullptr;
  if (record == nullptr) {
    const uint32_t length = CheckedLength(n);
    data.m_record = NewRecord(AllocateBytes(CopyCapacity(length)), length, CopyCapacity(length));
    return data.m_record->data;
  }
  // One hold of the lock covers both the separation and the append, so no
  // other holder can come between them.
  CKVCriticalSectionLock guard(record->lock);
  const uint32_t oldLength = record->length;
  const uint32_t newLength = CheckedLength(uint64_t{oldLength} + n);
  if (record->count >= 2) {
    // The private copy is sized for the append at once instead of being copied twice.
    uint32_t capacity = CopyCapacity(oldLength);
    if (newLength > capacity) capacity = GrowthCapacity(newLength);
    BinaryRecord* own = CopyRecord(record->data, oldLength, capacity);
    --record->count;
    own->length = newLength;
    data.m_record = own;
    return own->data + oldLength;
  }
  if (newLength > record->capacity) {
    const uint32_t capacity = GrowthCapacity(newLength);
    void* moved = std::realloc(record->data, capacity);
    if (moved == nullptr) throw std::bad_alloc();
    record->data = static_cast<unsigned char*>(moved);
    record->capacity = capacity;
  }
  record->length = newLength;
  return record->data + oldLength;
}

void BinaryDataAccess::Truncate(CBinaryData& data, uint32_t length) {
  if (data.m_record == nullptr || length >= data.m_record->length) return;
  if (length == 0) {
    data.Clear();
    return;
  }
  SeparateIfShared(data.m_record);
  data.m_record->length = length;
}

CBinaryData BinaryDataAccess::Allocate(size_t length, unsigned char*& bytes) {
  const uint32_t n = CheckedLength(length);
  CBinaryData out = Adopt(AllocateBytes(n), n);
  bytes = out.m_record->data;
  return out;
}

CBinaryData BinaryDataAccess::Adopt(MallocBytes bytes, uint32_t length) {
  CBinaryData out;
  out.m_record = NewRecord(std::move(bytes), length, length);
  return out;
}

unsigned char* BinaryDataAccess::MutableData(CBinaryData& data) noexcept {
  return data.m_record != nullptr ? data.m_record->data : nullptr;
}

uint32_t BinaryDataAccess::Capacity(const CBinaryData& data) noexcept {
  return data.m_record != nullptr ? data.m_record->capacity : 0;
}

int32_t BinaryDataAccess::ShareCount(const CBinaryData& data) noexcept {
  return data.m_record != nullptr ? data.m_record->count : 0;
}

}  // namespace detail

using detail::BinaryDataAccess;

CBinaryData::CBinaryData(const CBinaryData& other) : m_record(detail::Share(other.m_record)) {}

CBinaryData::CBinaryData(CBinaryData&& other) noexcept
    : m_record(std::exchange(other.m_record, nullptr)) {}

CBinaryData::CBinaryData(unsigned char* data, uint32_t length, bool takeOwnership) {
  if (takeOwnership) {
    detail::MallocBytes owned(data);
    if (data != nullptr && length != 0)
      m_record = detail::NewRecord(std::move(owned), length, length);
  } else if (data != nullptr && length != 0) {
    m_record = detail::CopyRecord(data, length, detail::CopyCapacity(length));
  }
}

CBinaryData::CBinaryData(const unsigned char* data, uint32_t length) {
  if (data != nullptr && length != 0) {
    m_record = detail::CopyRecord(data, length, detail::CopyCapacity(length));
  }
}

CBinaryData::CBinaryData(const wchar_t* text) { SetBuffer(text); }

CBinaryData& CBinaryData::operator=(const CBinaryData& other) {
  if (m_record != other.m_record) {
    detail::BinaryRecord* shared = detail::Share(other.m_record);
    Clear();
    m_record = shared;
  }
  return *this;
}

CBinaryData& CBinaryData::operator=(CBinaryData&& other) noexcept {
  if (this != &other) {
    Clear();
    m_record = std::exchange(other.m_record, nullptr);
  }
  return *this;
}

CBinaryData::~CBinaryData() { Clear(); }

void CBinaryData::SetBuffer(const wchar_t* text) {
  Clear();
  if (text == nullptr || *text == L'\0') return;
  const std::wstring_view view(text);
  unsigned char* bytes = nullptr;
  *this = BinaryDataAccess::Allocate(detail::Utf16LeUnitsSize(view), bytes);
  detail::PutUtf16LeUnits(view, bytes);
}

void CBinaryData::SetBuffer(const unsigned char* data, uint32_t length) {
  // Copied before clearing: data may be this value's own bytes.
  CBinaryData copy(data, length);
  *this = std::move(copy);
}

void CBinaryData::Append(const unsigned char* data, uint32_t length) {
  if (data == nullptr || length == 0) return;
  // Growing may move this value's bytes; when data lies among them, a second
  // holder keeps them in place (and makes the append copy them out first).
  CBinaryData keepAlive;
  if (m_record != nullptr && std::less_equal<const unsigned char*>()(m_record->data, data) &&
      std::less<const unsigned char*>()(data, m_record->data + m_record->capacity)) {
    keepAlive = *this;
  }
  std::memcpy(BinaryDataAccess::Extend(*this, length), data, length);
}

void CBinaryData::Append(unsigned char byte) { *BinaryDataAccess::Extend(*this, 1) = byte; }

void CBinaryData::Append(wchar_t c) {
  unsigned char units[4];
  const auto n = static_cast<size_t>(detail::PutUtf16LeUnits({&c, 1}, units) - units);
  std::memcpy(BinaryDataAccess::Extend(*this, n), units, n);
}

void CBinaryData::Append(const wchar_t* text) {
  if (text == nullptr) return;
  const std::wstring_view view(text);
  const size_t size = detail::Utf16LeUnitsSize(view);
  if (size != 0) detail::PutUtf16LeUnits(view, BinaryDataAccess::Extend(*this, size));
}

void CBinaryData::Append(const std::wstring& text) { Append(text.c_str()); }

void CBinaryData::Append(const CBinaryData& other) {
  // A second holder keeps other's bytes in place, even when other is this value.
  const CBinaryData source(other);
  if (source.m_record == nullptr || source.m_record->length == 0) return;
  std::memcpy(BinaryDataAccess::Extend(*this, source.m_record->length), source.m_record->data,
              source.m_record->length);
}

const unsigned char* CBinaryData::GetData() const noexcept {
  return m_record != nullptr ? m_record->data : nullptr;
}

uint32_t CBinaryData::GetLength() const noexcept {
  return m_record != nullptr ? m_record->length : 0;
}

unsigned char CBinaryData::operator[](uint32_t index) const {
  if (m_record == nullptr || index >= m_record->length) detail::ThrowIndexOutOfRange(index);
  return m_record->data[index];
}

unsigned char& CBinaryData::operator[](uint32_t index) {
  if (m_record == nullptr || index >= m_record->length) detail::ThrowIndexOutOfRange(index);
  detail::SeparateIfShared(m_record);
  return m_record->data[index];
}

bool CBinaryData::operator==(const CBinaryData& other) const noexcept {
  if (m_record == other.m_record) return true;
  // A zero-length value (decoded from "====") is not the empty value.
  if (m_record == nullptr || other.m_record == nullptr) return false;
  const uint32_t length = GetLength();
  if (length != other.GetLength()) return false;
  return length == 0 || std::memcmp(m_record->data, other.m_record->data, length) == 0;
}

bool CBinaryData::operator!=(const CBinaryData& other) const noexcept { return !(*this == other); }

void CBinaryData::Clear() noexcept {
  if (m_record != nullptr) detail::Unshare(std::exchange(m_record, nullptr));
}

unsigned char* CBinaryData::ReleaseData() {
  detail::BinaryRecord* record = m_record;
  if (record == nullptr) return nullptr;
  {
    CKVCriticalSectionLock guard(record->lock);
    if (record->count >= 2) {
      // Shared: the caller gets a copy and the others keep the record.
      detail::MallocBytes copy = detail::AllocateBytes(record->length);
      std::memcpy(copy.get(), record->data, record->length);
      --record->count;
      m_record = nullptr;
      return copy.release();
    }
  }
  unsigned char* data = record->data;
  delete record;
  m_record = nullptr;
  return data;
}

std::wstring CBinaryData::GetAsBase64() const {
  return detail::Base64Encode(GetData(), GetLength());
}

void CBinaryData::SetAsBase64(const wchar_t* text) {
  Clear();
  if (text != nullptr) detail::Base64Decode(text, *this);
}

std::wstring CBinaryData::GetAsHexString() const {
  return detail::HexEncode(GetData(), GetLength());
}

void CBinaryData::SetAsHexString(const wchar_t* text) {
  Clear();
  unsigned char* bytes = nullptr;
  const uint32_t length = ConvertToHexData(text, &bytes);
  *this = CBinaryData(bytes, length, true);
}

std::wstring CBinaryData::GetAsHexString(const unsigned char* data, uint32_t length) {
  return detail::HexEncode(data, length);
}

uint32_t CBinaryData::ConvertToHexData(const wchar_t* text, unsigned char** out) {
  return detail::HexDecode(text, out);
}

}  // namespace Korvel
