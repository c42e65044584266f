// SPDX-License-Identifier: MIT
// The exception family: message and path composition, owned inner exceptions.
#include <korvel/errors.h>

#include <utility>

#include "values/utf.h"

namespace Korvel {

namespace {

constexpr wchar_t kPathSuffix[] = L"\nPath: ";

// The only place where a path joins a message.
std::wstring WithPath(std::wstring message, const std::wstring& path) {
  if (!path.empty()) {
    message += kPathSuffix;
    message += path;
  }
  return message;
}

}  // namespace

CKvException::CKvException() = default;

CKvException::CKvException(std::wstring message) : m_message(std::move(message)) {
  ComposeWhat();
}

CKvException::CKvException(std::wstring message, const CKvException& inner)
    : m_message(std::move(message)), m_inner(inner.Clone()) {
  ComposeWhat();
}

CKvException::CKvException(std::wstring message, std::wstring path)
    : m_message(WithPath(std::move(message), path)), m_path(std::move(path)) {
  ComposeWhat();
}

CKvException::CKvException(std::wstring message, std::wstring path, const CKvException& inner)
    : m_message(WithPath(std::move(message), path)),
      m_path(std::move(path)),
      m_inner(inner.Clone()) {
  ComposeWhat();
}

CKvException::CKvException(const CKvException& other)
    : std::exception(other),
      m_message(other.m_message),
      m_path(other.m_path),
      m_inner(other.m_inner ? other.m_inner->Clone() : nullptr),
      m_what(other.m_what) {}

CKvException::CKvException(CKvException&& other) noexcept = default;

CKvException& CKvException::operator=(const CKvException& other) {
  if (this != &other) {
    // Clone first: if it throws, this exception is left as it was.
    std::unique_ptr<CKvException> inner(other.m_inner ? other.m_inner->Clone() : nullptr);
    std::string what = other.m_what;
    m_message = other.m_message;
    m_path = other.m_path;
    m_inner = std::move(inner);
    m_what = std::move(what);
  }
  return *this;
}

CKvException& CKvException::operator=(CKvException&& other) noexcept = default;

CKvException::~CKvException() = default;

std::wstring CKvException::GetMessageW() const { return m_message; }

std::wstring CKvException::GetPath() const { return m_path; }

const CKvException* CKvException::GetInnerException() const noexcept { return m_inner.get(); }

std::wstring CKvException::GetFullMessage() const {
  std::wstring full = m_message;
  for (const CKvException* inner = m_inner.get(); inner; inner = inner->m_inner.get()) {
    full += L'\n';
    full += inner->m_message;
  }
  return full;
}

const char* CKvException::what() const noexcept { return m_what.c_str(); }

void CKvException::ComposeWhat() { m_what = detail::WideToUtf8Replacing(GetFullMessage()); }

CKvException* CKvException::Clone() const { return new CKvException(*this); }

// Subclasses add constructors only; each clones to its own dynamic class.
#define KORVEL_DETAIL_EXCEPTION_COMMON(Class, Base)                        \
  Class::Class(const CKvException& other) : Base(other) {}                 \
  Class::~Class() = default;                                               \
  CKvException* Class::Clone() const { return new Class(*this); }

KORVEL_DETAIL_EXCEPTION_COMMON(CKvValidationException, CKvException)
CKvValidationException::CKvValidationException(std::wstring message, std::wstring path)
    : CKvException(std::move(message), std::move(path)) {}
CKvValidationException::CKvValidationException(std::wstring message, std::wstring path,
                                               const CKvException& inner)
    : CKvException(std::move(message), std::move(path), inner) {}

KORVEL_DETAIL_EXCEPTION_COMMON(CKvInvalidNamespaceException, CKvValidationException)
CKvInvalidNamespaceException::CKvInvalidNamespaceException(std::wstring message,
                                                           std::wstring path)
    : CKvValidationException(std::move(message), std::move(path)) {}
CKvInvalidNamespaceException::CKvInvalidNamespaceException(std::wstring message,
                                                           std::wstring path,
                                                           const CKvException& inner)
    : CKvValidationException(std::move(message), std::move(path), inner) {}

KORVEL_DETAIL_EXCEPTION_COMMON(CKvInvalidValueException, CKvValidationException)
CKvInvalidValueException::CKvInvalidValueException(std::wstring message)
    : CKvValidationException(CKvException(std::move(message))) {}
CKvInvalidValueException::CKvInvalidValueException(std::wstring message,
                                                   const CKvException& inner)
    : CKvValidationException(CKvException(std::move(message), inner)) {}

// The three kinds without a path: message, or message and inner exception.
#define KORVEL_DETAIL_PATHLESS_EXCEPTION(Class)                            \
  KORVEL_DETAIL_EXCEPTION_COMMON(Class, CKvException)                      \
  Class::Class(std::wstring message) : CKvException(std::move(message)) {} \
  Class::Class(std::wstring message, const CKvException& inner)            \
      : CKvException(std::move(message), inner) {}

KORVEL_DETAIL_PATHLESS_EXCEPTION(CKvInvalidStateException)
KORVEL_DETAIL_PATHLESS_EXCEPTION(CKvInvalidParamException)
KORVEL_DETAIL_PATHLESS_EXCEPTION(CKvOverFlowException)

#undef KORVEL_DETAIL_PATHLESS_EXCEPTION
#undef KORVEL_DETAIL_EXCEPTION_COMMON

IErrorPathProvider::~IErrorPathProvider() = default;

}  // namespace Korvel
