#pragma once

#include <QString>

namespace platform {

// How an attempt to open a document for reading ended.
enum class RegularFileOpen {
    Opened,     // fd holds a blocking, read-only descriptor of a regular file
    NotRegular, // the name is a named pipe, device, socket or folder; nothing was read
    Failed,     // the file could not be opened; reason says why
};

struct RegularFile
{
    RegularFileOpen result = RegularFileOpen::Failed;
    int fd = -1;
    QString reason;
};

// Opens a file for reading only when it is a regular file. The name is opened
// without blocking and the open descriptor is examined, so a named pipe or a
// device never stalls the caller and no rename in between can swap in another
// file. The caller owns and closes fd.
RegularFile openRegularFile(const QString &path);

} // namespace platform
