// SPDX-License-Identifier: MIT
// The ten built-in Fast Infoset encoding algorithms (ITU-T Rec. X.891, 10):
// octets to value text and one value's text to octets.
#include "fastinfoset/encoding_algorithms.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include <korvel/binary_data.h>
#include <korvel/conversions.h>
#include <korvel/fast_infoset_binary_data.h>

#include "fastinfoset/messages.h"
#include "values/binary_text.h"
#include "values/utf.h"

namespace Korvel {

namespace detail::fi {

namespace {

enum Algorithm : uint32_t {
  kHexadecimal = 1,
  kBase64 = 2,
  kShort = 3,
  kInt = 4,
  kLong = 5,
  kBoolean = 6,
  kFloat = 7,
  kDouble = 8,
  kUuid = 9,
  kCdata = 10,
};

constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;
constexpr size_t kUuidSize = 16;
constexpr wchar_t kLowerHex[] = L"0123456789abcdef";

uint64_t BigEndian(const unsigned char* p, size_t size) {
  uint64_t value = 0;
  for (size_t i = 0; i < size; ++i) value = (value << 8) | p[i];
  return value;
}

void PutBigEndian(uint64_t value, size_t size, std::string& out) {
  for (size_t i = size; i-- > 0;) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void AppendAscii(const char* begin, const char* end, std::wstring& out) {
  for (const char* p = begin; p != end; ++p) out.push_back(static_cast<wchar_t>(*p));
}

// The shortest text that reads back to the same value; the special values as
// XML Schema spells them.
template <class Real>
void AppendReal(Real value, std::wstring& out) {
  if (std::isnan(value)) {
    out += L"NaN";
  } else if (std::isinf(value)) {
    out += value < 0 ? L"-INF" : L"INF";
  } else {
    char buffer[64];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    AppendAscii(buffer, result.ptr, out);
  }
}

void AppendInteger(int64_t value, std::wstring& out) {
  char buffer[24];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
  AppendAscii(buffer, result.ptr, out);
}

// Splits data into values of `size` octets and appends each one's text.
template <class Append>
std::wstring DecodeFixed(const unsigned char* data, size_t length, size_t size,
                         const wchar_t* lengthMessage, Append append) {
  if (length % size != 0) ThrowFiError(lengthMessage);
  std::wstring text;
  text.reserve(length / size * (size * 3));
  for (size_t offset = 0; offset < length; offset += size) {
    if (offset != 0) text.push_back(L' ');
    append(data + offset, text);
  }
  return text;
}

// The first four bits count the unused bits at the end; the values follow.
std::wstring DecodeBoolean(const unsigned char* data, size_t length) {
  const size_t unused = data[0] >> 4;
  const size_t bits = length * 8;
  if (unused > 7 || bits < 4 + unused) ThrowFiError(kFiBooleanLength);
  std::wstring text;
  for (size_t bit = 4; bit < bits - unused; ++bit) {
    if (bit != 4) text.push_back(L' ');
    text += (data[bit / 8] >> (7 - bit % 8)) & 1 ? L"true" : L"false";
  }
  return text;
}

void AppendUuid(const unsigned char* p, std::wstring& out) {
  for (size_t i = 0; i < kUuidSize; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back(L'-');
    out.push_back(kLowerHex[p[i] >> 4]);
    out.push_back(kLowerHex[p[i] & 0xF]);
  }
}

// A uuid in the 8-4-4-4-12 form or as 32 hex digits.
void EncodeUuid(const wchar_t* text, std::string& out) {
  std::wstring digits;
  const size_t length = std::wcslen(text);
  const bool hyphenated =
      length == 36 && text[8] == L'-' && text[13] == L'-' && text[18] == L'-' && text[23] == L'-';
  if (!hyphenated && length != 32) ThrowFiError(kFiUuidLength);
  for (size_t i = 0; i < length; ++i) {
    if (hyphenated && (i == 8 || i == 13 || i == 18 || i == 23)) continue;
    digits.push_back(text[i]);
  }
  CBinaryData bytes;
  bytes.SetAsHexString(digits.c_str());
  out.assign(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetLength());
}

void AssignBytes(const CBinaryData& bytes, std::string& out) {
  out.assign(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetLength());
}

}  // namespace

std::wstring DecodeAlgorithm(uint32_t algorithm, const unsigned char* data, size_t length) {
  if (algorithm < kHexadecimal || algorithm > kCdata) ThrowFiError(kFiUnknownByteEncoding);
  if (length == 0) return std::wstring();
  switch (algorithm) {
    case kHexadecimal:
      return HexEncode(data, length);
    case kBase64:
      return Base64Encode(data, length);
    case kShort:
      return DecodeFixed(data, length, 2, kFiShortLength, [](const unsigned char* p, auto& out) {
        AppendInteger(static_cast<int16_t>(BigEndian(p, 2)), out);
      });
    case kInt:
      return DecodeFixed(data, length, 4, kFiIntLength, [](const unsigned char* p, auto& out) {
        AppendInteger(static_cast<int32_t>(BigEndian(p, 4)), out);
      });
    case kLong:
      return DecodeFixed(data, length, 8, kFiLongLength, [](const unsigned char* p, auto& out) {
        AppendInteger(static_cast<int64_t>(BigEndian(p, 8)), out);
      });
    case kBoolean:
      return DecodeBoolean(data, length);
    case kFloat:
      return DecodeFixed(data, length, 4, kFiFloatLength, [](const unsigned char* p, auto& out) {
        const auto bits = static_cast<uint32_t>(BigEndian(p, 4));
        float value;
        std::memcpy(&value, &bits, sizeof value);
        AppendReal(value, out);
      });
    case kDouble:
      return DecodeFixed(data, length, 8, kFiDoubleLength, [](const unsigned char* p, auto& out) {
        const uint64_t bits = BigEndian(p, 8);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        AppendReal(value, out);
      });
    case kUuid:
      return DecodeFixed(data, length, kUuidSize, kFiUuidLength, AppendUuid);
    default: {  // kCdata
      std::wstring text;
      if (!Utf8ToWide(ByteView(data, length), text)) ThrowFiError(kFiInvalidUtf8);
      return text;
    }
  }
}

void EncodeAlgorithm(uint32_t algorithm, const wchar_t* text, std::string& out) {
  if (algorithm < kHexadecimal || algorithm > kCdata) ThrowFiError(kFiUnknownByteEncoding);
  const std::wstring value = text ? text : L"";
  out.clear();
  switch (algorithm) {
    case kHexadecimal:
      AssignBytes(CConversions::hexBinaryFromString(value, kCollapse), out);
      break;
    case kBase64:
      AssignBytes(CConversions::base64BinaryFromString(value, kCollapse), out);
      break;
    case kShort:
      PutBigEndian(static_cast<uint16_t>(CConversions::i2FromString(value, kCollapse)), 2, out);
      break;
    case kInt:
      PutBigEndian(static_cast<uint32_t>(CConversions::i4FromString(value, kCollapse)), 4, out);
      break;
    case kLong:
      PutBigEndian(static_cast<uint64_t>(CConversions::i8FromString(value, kCollapse)), 8, out);
      break;
    case kBoolean:
      out.push_back(CConversions::booleanFromString(value, kCollapse) ? '\x38' : '\x30');
      break;
    case kFloat: {
      const float real = CConversions::r4FromString(value, kCollapse);
      uint32_t bits;
      std::memcpy(&bits, &real, sizeof bits);
      PutBigEndian(bits, 4, out);
      break;
    }
    case kDouble: {
      const double real = CConversions::r8FromString(value, kCollapse);
      uint64_t bits;
      std::memcpy(&bits, &real, sizeof bits);
      PutBigEndian(bits, 8, out);
      break;
    }
    case kUuid:
      EncodeUuid(value.c_str(), out);
      break;
    default:  // kCdata
      WideToUtf8(value, out);
      break;
  }
}

}  // namespace detail::fi

CFastInfosetBinaryData::CFastInfosetBinaryData() noexcept = default;
CFastInfosetBinaryData::CFastInfosetBinaryData(const CFastInfosetBinaryData& other) = default;
CFastInfosetBinaryData::CFastInfosetBinaryData(const CBinaryData& other) : CBinaryData(other) {}
CFastInfosetBinaryData::CFastInfosetBinaryData(unsigned char* data, uint32_t length,
                                               bool takeOwnership)
    : CBinaryData(data, length, takeOwnership) {}
CFastInfosetBinaryData::CFastInfosetBinaryData(const wchar_t* text) : CBinaryData(text) {}
CFastInfosetBinaryData& CFastInfosetBinaryData::operator=(const CFastInfosetBinaryData& other) =
    default;
CFastInfosetBinaryData& CFastInfosetBinaryData::operator=(const CBinaryData& other) {
  CBinaryData::operator=(other);
  return *this;
}
CFastInfosetBinaryData::~CFastInfosetBinaryData() { Clear(); }

std::wstring CFastInfosetBinaryData::GetAsString(uint32_t algorithm) const {
  return detail::fi::DecodeAlgorithm(algorithm, GetData(), GetLength());
}

void CFastInfosetBinaryData::SetAsEncodedString(uint32_t algorithm, const wchar_t* text) {
  std::string octets;
  detail::fi::EncodeAlgorithm(algorithm, text, octets);
  SetBuffer(reinterpret_cast<const unsigned char*>(octets.data()),
            static_cast<uint32_t>(octets.size()));
}

}  // namespace Korvel
