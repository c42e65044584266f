// SPDX-License-Identifier: MIT
// CJsonContext: the options that JSON reading and writing share.
#pragma once

#include <cstdint>
#include <string>

#include <korvel/export.h>

namespace Korvel {

// How much of the XML structure JSON text carries, in both directions.
enum JsonRoundTrip : int32_t {
  JsonRoundTrip_None = 0,     // attributes as plain members, text beside them as "", no namespaces
  JsonRoundTrip_Partial = 1,  // attributes as "@name", text beside them as "#text", no namespaces
  JsonRoundTrip_Full = 2,     // as Partial, plus prefixes, namespace declarations and xsi:type
};

class KORVEL_API CJsonContext {
 public:
  CJsonContext();
  CJsonContext(const CJsonContext& other);
  CJsonContext& operator=(const CJsonContext& other);
  virtual ~CJsonContext();

  // Default JsonRoundTrip_Full.
  JsonRoundTrip GetSupportRoundtrip() const;
  void SetSupportRoundtrip(JsonRoundTrip roundTrip);

  // Reading only: when not empty, the whole JSON input is wrapped in an element of
  // this name. Default empty; null sets it empty.
  std::wstring GetRootElementName() const;
  void SetRootElementName(const wchar_t* name);

  // Reading only: whether comments are accepted. Default true. The setter shares
  // the getter's name.
  bool GetAllowComments() const;
  void GetAllowComments(bool allow);

 private:
  JsonRoundTrip m_supportRoundtrip = JsonRoundTrip_Full;
  std::wstring m_rootElementName;
  bool m_allowComments = true;
};

}  // namespace Korvel
