#pragma once

#include <QList>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// Stand-ins for update-mime-database and update-desktop-database, to be put
// first on PATH: each records its process id and then blocks for a minute,
// far beyond anything start-up may wait for. Whatever still runs is ended by
// its process id when the object goes.
class BlockingRefreshTools
{
public:
    BlockingRefreshTools();
    ~BlockingRefreshTools();
    BlockingRefreshTools(const BlockingRefreshTools &) = delete;
    BlockingRefreshTools &operator=(const BlockingRefreshTools &) = delete;

    bool isValid() const { return m_valid; }
    // PATH with the stand-ins' folder first.
    QString path() const;
    // The process ids of the stand-ins that have started so far.
    QList<qint64> started() const;
    // True while the stand-in with this process id still blocks.
    static bool isBlocking(qint64 pid);
    // The process ids of pid's children that have ended and were never
    // reaped.
    static QList<qint64> zombieChildrenOf(qint64 pid);
    // The parent process id of pid; 0 when it has gone.
    static qint64 parentOf(qint64 pid);

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};

} // namespace testsupport
