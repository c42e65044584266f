// SPDX-License-Identifier: MIT
// Reading the process-wide output switches that public setters change.
#pragma once

namespace Korvel::detail {

// The value last given to AsyncToXmlFile; false until then.
bool AsyncToXmlFileEnabled() noexcept;

}  // namespace Korvel::detail
