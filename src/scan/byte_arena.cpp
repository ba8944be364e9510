#include "scan/byte_arena.h"

#include <algorithm>
#include <cstring>

quint64 ByteArena::add(QByteArrayView bytes)
{
    const quint64 length = quint64(bytes.size());
    if (m_chunks.empty() || m_used + length > m_capacity) {
        const quint64 start = m_chunks.empty() ? 0 : m_chunkStarts.back() + m_used;
        const quint64 next
            = m_chunks.empty() ? kFirstChunkSize : std::min(kMaxChunkSize, m_capacity * 2);
        m_capacity = std::max(next, length);
        m_chunks.push_back(std::make_unique_for_overwrite<char[]>(m_capacity));
        m_chunkStarts.push_back(start);
        m_used = 0;
    }
    if (length > 0)
        std::memcpy(m_chunks.back().get() + m_used, bytes.data(), length);
    const quint64 offset = m_chunkStarts.back() + m_used;
    m_used += length;
    return offset;
}

QByteArrayView ByteArena::view(quint64 offset, quint32 length) const
{
    if (length == 0)
        return {};
    // The last chunk that starts at or before the offset; usually the last.
    size_t chunk = m_chunkStarts.size() - 1;
    if (offset < m_chunkStarts[chunk]) {
        const auto after = std::upper_bound(m_chunkStarts.begin(), m_chunkStarts.end(), offset);
        chunk = size_t(after - m_chunkStarts.begin()) - 1;
    }
    return { m_chunks[chunk].get() + (offset - m_chunkStarts[chunk]), qsizetype(length) };
}

void ByteArena::clear()
{
    m_chunks.clear();
    m_chunkStarts.clear();
    m_used = m_capacity = 0;
}
