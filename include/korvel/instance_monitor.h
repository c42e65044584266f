// SPDX-License-Identifier: MIT
// CInstanceMonitor: the empty polymorphic base that most library classes carry.
#pragma once

#include <korvel/export.h>

// Takes the class name of the object it is a base of and records nothing; it
// gives every such class a common polymorphic root.
class KORVEL_API CInstanceMonitor {
 public:
  // Inline, so that the many nodes and objects made by a read pay no call.
  explicit CInstanceMonitor(const wchar_t* /*className*/ = nullptr) noexcept {}
  CInstanceMonitor(const CInstanceMonitor&) noexcept {}
  CInstanceMonitor& operator=(const CInstanceMonitor&) noexcept { return *this; }
  virtual ~CInstanceMonitor();
};
