#pragma once

#include <QString>
#include <QStringList>

namespace viewtest {

// Takes away root's right to ignore file permissions from this thread for the
// life of the object, so that a read-only folder is read-only for the test
// even when it runs as root. Does nothing for other users.
class PermissionsEnforced
{
public:
    PermissionsEnforced();
    ~PermissionsEnforced();
    PermissionsEnforced(const PermissionsEnforced &) = delete;
    PermissionsEnforced &operator=(const PermissionsEnforced &) = delete;
    bool isValid() const { return m_valid; }

private:
    bool m_valid = false;
    bool m_dropped = false;
    unsigned m_savedEffective[2] = {};
};

// The hidden temporary files a copy leaves behind in a folder (none, if all went well).
QStringList leftovers(const QString &folder);

// Everything in a folder, hidden files included, sorted.
QStringList folderEntries(const QString &folder);

} // namespace viewtest
