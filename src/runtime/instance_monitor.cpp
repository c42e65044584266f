// SPDX-License-Identifier: MIT
// CInstanceMonitor records nothing; it exists to be a common base. Its
// destructor, the one virtual, is defined here to anchor the class.
#include <korvel/instance_monitor.h>

CInstanceMonitor::~CInstanceMonitor() = default;
