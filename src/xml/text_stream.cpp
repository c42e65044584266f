// SPDX-License-Identifier: MIT
// The chunked text accumulator, the in-memory text stream and the switch that
// sends file output through the file text stream.
#include <korvel/text_stream.h>

#include <algorithm>
#include <atomic>

#include "xml/chunk_store.h"
#include "xml/output_switches.h"
#include "xml/text_encoder.h"

namespace Korvel {

namespace {

// Set before serialisation starts and only read during it; atomic so that a
// late change is merely late, not a data race.
std::atomic<bool> g_asyncToXmlFile{false};

}  // namespace

// --- CStringBuffer ----------------------------------------------------------

CStringBuffer::CStringBuffer() : CInstanceMonitor(L"CStringBuffer") {}

CStringBuffer::~CStringBuffer() = default;

void CStringBuffer::StartChunk() {
  // Not zero-filled: a chunk is written before it is read, and filling it
  // would be a second pass over all the text.
  if (!m_store) m_store = std::make_unique<detail::ChunkStore>();
  m_chunks.push_back(m_store->Allocate());
  m_next = m_chunks.back();
  m_end = m_next + CHUNK_SIZE;
}

void CStringBuffer::AppendAcrossChunks(const wchar_t* text, size_t count) {
  while (count != 0) {
    if (m_next == m_end) StartChunk();
    const size_t part = std::min(count, static_cast<size_t>(m_end - m_next));
    std::memcpy(m_next, text, part * sizeof(wchar_t));
    m_next += part;
    m_length += part;
    text += part;
    count -= part;
  }
}

const std::wstring& CStringBuffer::GetAllText() {
  if (m_chunks.empty()) return m_joined;
  m_joined.reserve(m_length);
  for (size_t i = 0; i < m_chunks.size(); ++i) m_joined += ChunkText(i);
  m_chunks.clear();
  m_store->Release(false);
  m_next = m_end = nullptr;
  return m_joined;
}

void CStringBuffer::Clear() {
  m_length = 0;
  std::wstring().swap(m_joined);
  if (m_chunks.empty()) return;
  m_chunks.resize(1);
  m_store->Release(true);
  m_next = m_chunks.front();
  m_end = m_next + CHUNK_SIZE;
}

std::wstring_view CStringBuffer::GetChunk(size_t index) const noexcept {
  if (!m_joined.empty()) {
    if (index == 0) return m_joined;
    --index;
  }
  return ChunkText(index);
}

std::wstring_view CStringBuffer::ChunkText(size_t index) const noexcept {
  const wchar_t* chunk = m_chunks[index];
  const wchar_t* end = index + 1 < m_chunks.size() ? chunk + CHUNK_SIZE : m_next;
  return std::wstring_view(chunk, static_cast<size_t>(end - chunk));
}

// --- CTextStream ------------------------------------------------------------

CTextStream::CTextStream(XmlEncoding encoding)
    : CInstanceMonitor(L"CTextStream"), m_encoding(encoding) {}

CTextStream::~CTextStream() = default;

void CTextStream::Open() { m_buffer.Clear(); }

void CTextStream::Close() {}

void CTextStream::Flush() {}

CBinaryData CTextStream::GetBytes() const { return detail::EncodeText(m_buffer, m_encoding); }

// --- AsyncToXmlFile ---------------------------------------------------------

void AsyncToXmlFile(bool async) { g_asyncToXmlFile.store(async, std::memory_order_relaxed); }

namespace detail {

bool AsyncToXmlFileEnabled() noexcept { return g_asyncToXmlFile.load(std::memory_order_relaxed); }

}  // namespace detail

}  // namespace Korvel
