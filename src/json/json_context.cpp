// SPDX-License-Identifier: MIT
// CJsonContext: plain options with their defaults.
#include <korvel/json_context.h>

namespace Korvel {

CJsonContext::CJsonContext() = default;
CJsonContext::CJsonContext(const CJsonContext& other) = default;
CJsonContext& CJsonContext::operator=(const CJsonContext& other) = default;
CJsonContext::~CJsonContext() = default;

JsonRoundTrip CJsonContext::GetSupportRoundtrip() const { return m_supportRoundtrip; }
void CJsonContext::SetSupportRoundtrip(JsonRoundTrip roundTrip) { m_supportRoundtrip = roundTrip; }

std::wstring CJsonContext::GetRootElementName() const { return m_rootElementName; }
void CJsonContext::SetRootElementName(const wchar_t* name) {
  m_rootElementName = name ? name : L"";
}

bool CJsonContext::GetAllowComments() const { return m_allowComments; }
void CJsonContext::GetAllowComments(bool allow) { m_allowComments = allow; }

}  // namespace Korvel
