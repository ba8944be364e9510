#pragma once

#include <QString>

#include <optional>

// What the file system tells about one folder or file. A missing value
// leaves its cell of the result list empty.
struct ItemProperties
{
    std::optional<qint64> sizeBytes; // a folder: all files in it and below
    QString type;
    std::optional<qint64> createdSecs; // seconds since the epoch
    std::optional<qint64> modifiedSecs;
    std::optional<qint64> attributes; // platform attribute bits
};
