#pragma once

#include <QByteArrayView>

#include <memory>
#include <vector>

// Append-only byte storage for names and texts: chunks that grow from small
// to kMaxChunkSize, so a folder of a few names costs little and a list of a
// million names is no million allocations. A text never spans two chunks and
// never moves; it is found by the offset add() returned.
class ByteArena
{
public:
    static constexpr quint64 kFirstChunkSize = 1 << 10;
    static constexpr quint64 kMaxChunkSize = 1 << 20;

    quint64 add(QByteArrayView bytes);
    [[nodiscard]] QByteArrayView view(quint64 offset, quint32 length) const;
    void clear();

private:
    std::vector<std::unique_ptr<char[]>> m_chunks;
    std::vector<quint64> m_chunkStarts; // the offset of each chunk's first byte
    quint64 m_used = 0; // in the last chunk
    quint64 m_capacity = 0; // of the last chunk
};
