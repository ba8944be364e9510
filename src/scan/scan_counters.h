#pragma once

#include <QtGlobal>

// The summary counters that travel with the result list. Counts are 64-bit
// so that no tree overflows them; FileKbTotal is summed in double precision
// and kept as a 32-bit float, as the page prints it.
struct ScanCounters
{
    qint64 FileCount = 0;
    float FileKbTotal = 0;
    qint64 FolderCount = 1;
    qint64 SearchedFolderCount = 1;

    void reset() { *this = ScanCounters {}; }
    void addFileKb(qint64 bytes)
    {
        FileKbTotal = float(double(FileKbTotal) + double(bytes) / 1024.0);
    }
};
