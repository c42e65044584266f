// SPDX-License-Identifier: MIT
// CKVCriticalSection over a recursive mutex, since a thread may re-enter it.
#include <korvel/critical_section.h>

CKVCriticalSection::CKVCriticalSection() = default;
CKVCriticalSection::~CKVCriticalSection() = default;
void CKVCriticalSection::Enter() { m_mutex.lock(); }
void CKVCriticalSection::Leave() { m_mutex.unlock(); }
