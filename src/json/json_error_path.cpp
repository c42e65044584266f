// SPDX-License-Identifier: MIT
// CJsonReaderDefaultHandler: the JSON path of the value being read, for the
// messages of the reader and of the mapping.
#include "json/json_to_xml.h"

#include <utility>

namespace Korvel::detail {

void CJsonReaderDefaultHandler::StartDocument() {
  m_path.clear();
  if (m_inner) m_inner->StartDocument();
}

void CJsonReaderDefaultHandler::EndDocument() {
  if (m_inner) m_inner->EndDocument();
}

void CJsonReaderDefaultHandler::OnName(const std::wstring& name) {
  // A name stays on the path through its value, until the next name or the
  // end of its object.
  if (!m_path.empty() && m_path.back().kind == Kind::kName) m_path.pop_back();
  m_path.push_back({name, -1, Kind::kName});
  if (m_inner) m_inner->OnName(name);
}

void CJsonReaderDefaultHandler::OnString(const std::wstring& value) {
  if (m_inner) m_inner->OnString(value);
}

void CJsonReaderDefaultHandler::OnNumber(const std::wstring& value) {
  if (m_inner) m_inner->OnNumber(value);
}

void CJsonReaderDefaultHandler::OnBoolean(bool value) {
  if (m_inner) m_inner->OnBoolean(value);
}

void CJsonReaderDefaultHandler::OnNull() {
  if (m_inner) m_inner->OnNull();
}

void CJsonReaderDefaultHandler::StartObject() {
  // The outermost object has no name of its own.
  if (!m_path.empty()) {
    PathEntry& top = m_path.back();
    std::wstring name;
    if (top.kind == Kind::kName) {
      name = std::move(top.name);
      m_path.pop_back();
    } else if (top.kind == Kind::kArray) {
      ++top.index;
      name = top.name + L'[' + std::to_wstring(top.index) + L']';
    }
    m_path.push_back({std::move(name), -1, Kind::kObject});
  }
  if (m_inner) m_inner->StartObject();
}

void CJsonReaderDefaultHandler::EndObject() {
  PopUntil(Kind::kObject);
  if (m_inner) m_inner->EndObject();
}

void CJsonReaderDefaultHandler::StartArray() {
  if (!m_path.empty()) {
    std::wstring name;
    if (m_path.back().kind == Kind::kName) {
      name = std::move(m_path.back().name);
      m_path.pop_back();
    }
    m_path.push_back({std::move(name), -1, Kind::kArray});
  }
  if (m_inner) m_inner->StartArray();
}

void CJsonReaderDefaultHandler::EndArray() {
  PopUntil(Kind::kArray);
  if (m_inner) m_inner->EndArray();
}

void CJsonReaderDefaultHandler::PopUntil(Kind kind) {
  while (!m_path.empty()) {
    const Kind removed = m_path.back().kind;
    m_path.pop_back();
    if (removed == kind) return;
  }
}

std::wstring CJsonReaderDefaultHandler::GetErrorPath() {
  std::wstring path = L"$";
  for (auto it = m_path.rbegin(); it != m_path.rend(); ++it) {
    if (it->kind == Kind::kArray) continue;
    path += L'.';
    path += it->name;
  }
  return path;
}

}  // namespace Korvel::detail
