// SPDX-License-Identifier: MIT
// The exception family every failure is reported with, the wide message
// formatter and the interface through which readers report where they are.
#pragma once

#include <exception>
#include <memory>
#include <string>

#include <korvel/export.h>

namespace Korvel {

// Root of the family. A non-empty path is appended to the message as
// "\nPath: <path>" when the exception is built; the inner exception is an owned
// clone of the one that caused this one. Being a std::exception, it also
// reaches handlers written for the standard library's errors.
class KORVEL_API CKvException : public std::exception {
 public:
  CKvException();
  explicit CKvException(std::wstring message);
  CKvException(std::wstring message, const CKvException& inner);
  CKvException(std::wstring message, std::wstring path);
  CKvException(std::wstring message, std::wstring path, const CKvException& inner);
  CKvException(const CKvException& other);
  CKvException(CKvException&& other) noexcept;
  CKvException& operator=(const CKvException& other);
  CKvException& operator=(CKvException&& other) noexcept;
  virtual ~CKvException();

  std::wstring GetMessageW() const;
  std::wstring GetPath() const;
  const CKvException* GetInnerException() const noexcept;
  // The message followed by "\n" and the inner exception's full message, recursively.
  std::wstring GetFullMessage() const;
  // GetFullMessage() in UTF-8, a character that has no UTF-8 form (a lone
  // surrogate quoted from the input) shown as U+FFFD.
  const char* what() const noexcept override;

 protected:
  virtual CKvException* Clone() const;

 private:
  void ComposeWhat();

  std::wstring m_message;
  std::wstring m_path;
  std::unique_ptr<CKvException> m_inner;
  // Composed once, when the message is final, so that what() cannot fail.
  std::string m_what;
};

// Input that does not match the class metadata.
class KORVEL_API CKvValidationException : public CKvException {
 public:
  CKvValidationException() = default;
  CKvValidationException(std::wstring message, std::wstring path);
  CKvValidationException(std::wstring message, std::wstring path, const CKvException& inner);
  explicit CKvValidationException(const CKvException& other);
  CKvValidationException(const CKvValidationException& other) = default;
  CKvValidationException(CKvValidationException&& other) noexcept = default;
  CKvValidationException& operator=(const CKvValidationException& other) = default;
  CKvValidationException& operator=(CKvValidationException&& other) noexcept = default;
  ~CKvValidationException() override;

 protected:
  CKvException* Clone() const override;
};

// A primitive value that fails a lexical or facet check; it carries no path.
class KORVEL_API CKvInvalidValueException : public CKvValidationException {
 public:
  CKvInvalidValueException() = default;
  explicit CKvInvalidValueException(std::wstring message);
  CKvInvalidValueException(std::wstring message, const CKvException& inner);
  explicit CKvInvalidValueException(const CKvException& other);
  CKvInvalidValueException(const CKvInvalidValueException& other) = default;
  CKvInvalidValueException(CKvInvalidValueException&& other) noexcept = default;
  CKvInvalidValueException& operator=(const CKvInvalidValueException& other) = default;
  CKvInvalidValueException& operator=(CKvInvalidValueException&& other) noexcept = default;
  ~CKvInvalidValueException() override;

 protected:
  CKvException* Clone() const override;
};

// A namespace that is not allowed where it occurs.
class KORVEL_API CKvInvalidNamespaceException : public CKvValidationException {
 public:
  CKvInvalidNamespaceException() = default;
  CKvInvalidNamespaceException(std::wstring message, std::wstring path);
  CKvInvalidNamespaceException(std::wstring message, std::wstring path,
                               const CKvException& inner);
  explicit CKvInvalidNamespaceException(const CKvException& other);
  CKvInvalidNamespaceException(const CKvInvalidNamespaceException& other) = default;
  CKvInvalidNamespaceException(CKvInvalidNamespaceException&& other) noexcept = default;
  CKvInvalidNamespaceException& operator=(const CKvInvalidNamespaceException& other) = default;
  CKvInvalidNamespaceException& operator=(CKvInvalidNamespaceException&& other) noexcept =
      default;
  ~CKvInvalidNamespaceException() override;

 protected:
  CKvException* Clone() const override;
};

// An operation that the object's current state does not allow.
class KORVEL_API CKvInvalidStateException : public CKvException {
 public:
  CKvInvalidStateException() = default;
  explicit CKvInvalidStateException(std::wstring message);
  CKvInvalidStateException(std::wstring message, const CKvException& inner);
  explicit CKvInvalidStateException(const CKvException& other);
  CKvInvalidStateException(const CKvInvalidStateException& other) = default;
  CKvInvalidStateException(CKvInvalidStateException&& other) noexcept = default;
  CKvInvalidStateException& operator=(const CKvInvalidStateException& other) = default;
  CKvInvalidStateException& operator=(CKvInvalidStateException&& other) noexcept = default;
  ~CKvInvalidStateException() override;

 protected:
  CKvException* Clone() const override;
};

// A bad argument.
class KORVEL_API CKvInvalidParamException : public CKvException {
 public:
  CKvInvalidParamException() = default;
  explicit CKvInvalidParamException(std::wstring message);
  CKvInvalidParamException(std::wstring message, const CKvException& inner);
  explicit CKvInvalidParamException(const CKvException& other);
  CKvInvalidParamException(const CKvInvalidParamException& other) = default;
  CKvInvalidParamException(CKvInvalidParamException&& other) noexcept = default;
  CKvInvalidParamException& operator=(const CKvInvalidParamException& other) = default;
  CKvInvalidParamException& operator=(CKvInvalidParamException&& other) noexcept = default;
  ~CKvInvalidParamException() override;

 protected:
  CKvException* Clone() const override;
};

// A value too large for the requested type.
class KORVEL_API CKvOverFlowException : public CKvException {
 public:
  CKvOverFlowException() = default;
  explicit CKvOverFlowException(std::wstring message);
  CKvOverFlowException(std::wstring message, const CKvException& inner);
  explicit CKvOverFlowException(const CKvException& other);
  CKvOverFlowException(const CKvOverFlowException& other) = default;
  CKvOverFlowException(CKvOverFlowException&& other) noexcept = default;
  CKvOverFlowException& operator=(const CKvOverFlowException& other) = default;
  CKvOverFlowException& operator=(CKvOverFlowException&& other) noexcept = default;
  ~CKvOverFlowException() override;

 protected:
  CKvException* Clone() const override;
};

// Supplies the location in the input that a reader is processing.
class KORVEL_API IErrorPathProvider {
 public:
  virtual ~IErrorPathProvider();
  virtual std::wstring GetErrorPath() = 0;
};

// printf-style formatting into a wide string, with the conventions the library's
// messages are written in: %s and %ls take a wide string, %S and %hs a narrow
// (UTF-8) one, %c and %lc a wide character, %C and %hc a narrow one; integer
// conversions take 32 bits (also with l, as long is 32 bits where the formats
// come from), and the prefix I64 (or ll) 64 bits; a null string prints as
// "(null)". The result is never cut short, whatever the lengths involved.
KORVEL_API std::wstring FormatString(const wchar_t* format, ...);

}  // namespace Korvel
