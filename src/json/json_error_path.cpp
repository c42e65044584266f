// SPDX-License-Identifier: MIT
// CJsonReaderDefaultHandler: the JSON path of the value being read, for the
// messages of the reader and of the mapping.
#include "json/json_to_xml.h"

#include <utility>

namespace Korvel::detail {

void CJsonReaderDefaultHandler::StartDocument() {
  m_size = 0;
  if (m_inner) m_inner->StartDocument();
}

void CJsonReaderDefaultHandler::EndDocument() {
  if (m_inner) m_inner->EndDocument();
}

CJsonReaderDefaultHandler::PathEntry& CJsonReaderDefaultHandler::Push(Kind kind) {
  if (m_size == m_path.size()) m_path.emplace_back();
  PathEntry& entry = m_path[m_size++];
  entry.name.clear();
  entry.index = -1;
  entry.kind = kind;
  entry.item = false;
  return entry;
}

void CJsonReaderDefaultHandler::OnName(const std::wstring& name) {
  // A name stays on the path through its value, until the next name or the
  // end of its object.
  PathEntry& entry = m_size != 0 && m_path[m_size - 1].kind == Kind::kName ? m_path[m_size - 1]
                                                                           : Push(Kind::kName);
  entry.name.assign(name);
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

// A container's entry takes the place of the name it is the value of.
void CJsonReaderDefaultHandler::StartObject() {
  // The outermost object has no name of its own.
  if (m_size != 0) {
    PathEntry& top = m_path[m_size - 1];
    if (top.kind == Kind::kName) {
      top.kind = Kind::kObject;
    } else if (top.kind == Kind::kArray) {
      ++top.index;
      Push(Kind::kObject).item = true;
    } else {
      Push(Kind::kObject);
    }
  }
  if (m_inner) m_inner->StartObject();
}

void CJsonReaderDefaultHandler::EndObject() {
  PopUntil(Kind::kObject);
  if (m_inner) m_inner->EndObject();
}

void CJsonReaderDefaultHandler::StartArray() {
  if (m_size != 0) {
    PathEntry& top = m_path[m_size - 1];
    if (top.kind == Kind::kName) {
      top.kind = Kind::kArray;
    } else {
      Push(Kind::kArray);
    }
  }
  if (m_inner) m_inner->StartArray();
}

void CJsonReaderDefaultHandler::EndArray() {
  PopUntil(Kind::kArray);
  if (m_inner) m_inner->EndArray();
}

void CJsonReaderDefaultHandler::PopUntil(Kind kind) {
  while (m_size != 0) {
    if (m_path[--m_size].kind == kind) return;
  }
}

std::wstring CJsonReaderDefaultHandler::GetErrorPath() {
  std::wstring path = L"$";
  for (size_t i = m_size; i-- > 0;) {
    const PathEntry& entry = m_path[i];
    if (entry.kind == Kind::kArray) continue;
    path += L'.';
    if (entry.item) {
      const PathEntry& array = m_path[i - 1];
      path += array.name + L'[' + std::to_wstring(array.index) + L']';
    } else {
      path += entry.name;
    }
  }
  return path;
}

}  // namespace Korvel::detail
