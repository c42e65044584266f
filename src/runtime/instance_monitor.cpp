// SPDX-License-Identifier: MIT
// CInstanceMonitor records nothing; it exists to be a common base.
#include <korvel/instance_monitor.h>

CInstanceMonitor::CInstanceMonitor(const wchar_t*) noexcept {}
CInstanceMonitor::CInstanceMonitor(const CInstanceMonitor&) noexcept {}
CInstanceMonitor& CInstanceMonitor::operator=(const CInstanceMonitor&) noexcept { return *this; }
CInstanceMonitor::~CInstanceMonitor() = default;
