// The trash record round trip: whatever bytes a path holds, the record written
// for it names exactly that path again, and nothing in the path can add a line
// or a key to the record.
#include "Trash.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray path(reinterpret_cast<const char *>(data), qsizetype(size));
    static const QDateTime when(QDate(2026, 12, 11), QTime(13, 45, 0));
    const QByteArray record = platform::trashInfoRecord(path, when);

    // Three lines exactly: the group, Path= and DeletionDate=.
    if (record.count('\n') != 3 || !record.startsWith("[Trash Info]\nPath=") || !record.endsWith("\nDeletionDate=2026-12-11T13:45:00\n"))
        std::abort();
    const std::optional<QByteArray> back = platform::trashInfoPath(record);
    if (!back || *back != path)
        std::abort();
    // The reader must also survive the input taken as a record itself.
    (void)platform::trashInfoPath(path);
    return 0;
}
