// SPDX-License-Identifier: MIT
// CDigitVector: the digit sequence of CBigInteger.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <new>

namespace Korvel {

// The part of std::vector<std::uint16_t> that digit arithmetic uses, holding
// up to kInlineDigits digits in the object itself: the numbers documents carry
// (quantities, prices, codes) then cost no allocation. Iterators are pointers,
// invalidated as a vector's are.
class CDigitVector {
 public:
  using value_type = std::uint16_t;
  using size_type = std::size_t;
  using difference_type = std::ptrdiff_t;
  using reference = value_type&;
  using const_reference = const value_type&;
  using iterator = value_type*;
  using const_iterator = const value_type*;
  using reverse_iterator = std::reverse_iterator<iterator>;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;

  static constexpr size_type kInlineDigits = 8;

  CDigitVector() noexcept = default;
  explicit CDigitVector(size_type count, value_type value = 0) { assign(count, value); }
  template <class It, class = typename std::iterator_traits<It>::iterator_category>
  CDigitVector(It first, It last) {
    assign(first, last);
  }
  CDigitVector(std::initializer_list<value_type> digits) { assign(digits.begin(), digits.end()); }
  CDigitVector(const CDigitVector& other) { CopyFrom(other); }
  CDigitVector(CDigitVector&& other) noexcept { TakeFrom(other); }
  CDigitVector& operator=(const CDigitVector& other) {
    if (this != &other) assign(other.begin(), other.end());
    return *this;
  }
  CDigitVector& operator=(CDigitVector&& other) noexcept {
    if (this != &other) {
      Free();
      TakeFrom(other);
    }
    return *this;
  }
  ~CDigitVector() { Free(); }

  size_type size() const noexcept { return m_size; }
  bool empty() const noexcept { return m_size == 0; }
  size_type capacity() const noexcept { return IsInline() ? kInlineDigits : m_capacity; }
  value_type* data() noexcept { return IsInline() ? m_storage.digits : m_storage.heap; }
  const value_type* data() const noexcept { return IsInline() ? m_storage.digits : m_storage.heap; }

  iterator begin() noexcept { return data(); }
  iterator end() noexcept { return data() + m_size; }
  const_iterator begin() const noexcept { return data(); }
  const_iterator end() const noexcept { return data() + m_size; }
  const_iterator cbegin() const noexcept { return begin(); }
  const_iterator cend() const noexcept { return end(); }
  reverse_iterator rbegin() noexcept { return reverse_iterator(end()); }
  reverse_iterator rend() noexcept { return reverse_iterator(begin()); }
  const_reverse_iterator rbegin() const noexcept { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const noexcept { return const_reverse_iterator(begin()); }

  reference operator[](size_type i) noexcept { return data()[i]; }
  const_reference operator[](size_type i) const noexcept { return data()[i]; }
  reference front() noexcept { return data()[0]; }
  const_reference front() const noexcept { return data()[0]; }
  reference back() noexcept { return data()[m_size - 1]; }
  const_reference back() const noexcept { return data()[m_size - 1]; }

  void reserve(size_type count) {
    if (count > capacity()) Reallocate(count);
  }
  void shrink_to_fit() noexcept {}
  void clear() noexcept { m_size = 0; }
  void push_back(value_type value) {
    if (m_size == capacity()) Reallocate(2 * capacity());
    data()[m_size++] = value;
  }
  void pop_back() noexcept { --m_size; }
  void resize(size_type count, value_type value = 0) {
    if (count > m_size) {
      Grow(count);
      std::fill(data() + m_size, data() + count, value);
    }
    m_size = static_cast<std::uint32_t>(count);
  }

  void assign(size_type count, value_type value) {
    m_size = 0;
    resize(count, value);
  }
  template <class It, class = typename std::iterator_traits<It>::iterator_category>
  void assign(It first, It last) {
    CDigitVector copy;
    copy.Grow(static_cast<size_type>(std::distance(first, last)));
    for (; first != last; ++first) copy.data()[copy.m_size++] = static_cast<value_type>(*first);
    *this = std::move(copy);
  }

  iterator insert(const_iterator position, size_type count, value_type value) {
    const size_type at = Open(position, count);
    std::fill(data() + at, data() + at + count, value);
    return data() + at;
  }
  template <class It, class = typename std::iterator_traits<It>::iterator_category>
  iterator insert(const_iterator position, It first, It last) {
    const CDigitVector inserted(first, last);  // the source may lie in this vector
    const size_type at = Open(position, inserted.size());
    std::copy(inserted.begin(), inserted.end(), data() + at);
    return data() + at;
  }
  iterator erase(const_iterator first, const_iterator last) noexcept {
    const auto at = static_cast<size_type>(first - data());
    const auto count = static_cast<size_type>(last - first);
    std::memmove(data() + at, data() + at + count, (m_size - at - count) * sizeof(value_type));
    m_size -= static_cast<std::uint32_t>(count);
    return data() + at;
  }
  iterator erase(const_iterator position) noexcept { return erase(position, position + 1); }

  void swap(CDigitVector& other) noexcept {
    CDigitVector held(std::move(other));
    other = std::move(*this);
    *this = std::move(held);
  }

  friend bool operator==(const CDigitVector& a, const CDigitVector& b) noexcept {
    return a.m_size == b.m_size && std::equal(a.begin(), a.end(), b.begin());
  }
  friend bool operator!=(const CDigitVector& a, const CDigitVector& b) noexcept {
    return !(a == b);
  }

 private:
  // A heap array always holds more than kInlineDigits.
  bool IsInline() const noexcept { return m_capacity == 0; }

  // Room for count digits, growing geometrically.
  void Grow(size_type count) {
    if (count > capacity()) Reallocate(std::max(count, 2 * capacity()));
  }
  void Reallocate(size_type count) {
    auto* heap = static_cast<value_type*>(::operator new(count * sizeof(value_type)));
    std::memcpy(heap, data(), m_size * sizeof(value_type));
    Free();
    m_storage.heap = heap;
    m_capacity = static_cast<std::uint32_t>(count);
  }
  // Moves the digits from position on count places up; returns the index of position.
  size_type Open(const_iterator position, size_type count) {
    const auto at = static_cast<size_type>(position - data());
    Grow(m_size + count);
    std::memmove(data() + at + count, data() + at, (m_size - at) * sizeof(value_type));
    m_size += static_cast<std::uint32_t>(count);
    return at;
  }
  void CopyFrom(const CDigitVector& other) {
    if (other.IsInline()) {
      m_storage = other.m_storage;
      m_size = other.m_size;
    } else {
      assign(other.begin(), other.end());
    }
  }
  void TakeFrom(CDigitVector& other) noexcept {
    m_storage = other.m_storage;
    m_size = other.m_size;
    m_capacity = other.m_capacity;
    other.m_size = 0;
    other.m_capacity = 0;
  }
  void Free() noexcept {
    if (!IsInline()) ::operator delete(m_storage.heap);
    m_capacity = 0;
  }

  union Storage {
    value_type* heap;
    value_type digits[kInlineDigits];
  };
  Storage m_storage{};
  std::uint32_t m_size = 0;
  std::uint32_t m_capacity = 0;  // 0 while the digits are inline
};

}  // namespace Korvel
