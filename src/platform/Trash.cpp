#include "Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <cstdio>

namespace platform {

namespace {

// The record that the trash keeps beside a trashed file:
// TRASH/files/NAME goes with TRASH/info/NAME.trashinfo.
QString infoFileFor(const QString &pathInTrash)
{
    const QFileInfo trashed(pathInTrash);
    return trashed.dir().absoluteFilePath(QStringLiteral("../info/") + trashed.fileName()
                                          + QStringLiteral(".trashinfo"));
}

// The trash record's Path is URL-escaped; some Qt versions write it as it is,
// which breaks restoring a name with '%' (and is not what file managers
// expect). Escapes the value when it is the trashed path written raw.
void escapeRecordedPath(const QString &infoFile, const QString &originalPath)
{
    QFile file(infoFile);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    bool changed = false;
    for (QByteArray &line : lines) {
        if (!line.startsWith("Path="))
            continue;
        const QString value = QString::fromUtf8(line.mid(5));
        const QByteArray escaped = QUrl::toPercentEncoding(value, "/");
        if (originalPath.endsWith(value) && escaped != line.mid(5)) {
            line = "Path=" + escaped;
            changed = true;
        }
        break;
    }
    if (changed && file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(lines.join('\n'));
}

bool renameBack(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

bool moveToTrash(const QString &path, QString *pathInTrash, QString *reason)
{
    // Qt will not create the data folder that holds the home trash, and when
    // it finds no trash it "trashes" into files/ and info/ of the current
    // folder instead and reports success. Make sure the folder is there, and
    // undo such a move should it happen all the same.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!dataHome.isEmpty())
        QDir().mkpath(dataHome);

    QFile file(path);
    QString where;
    if (!file.moveToTrash()) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    where = file.fileName();
    if (QFileInfo(where).isRelative()) {
        const QFileInfo stray(where);
        restoreFromTrash(stray.absoluteFilePath(), path);
        QDir strayTrash = stray.absoluteDir();
        if (strayTrash.cdUp()) {
            strayTrash.rmdir(QStringLiteral("files"));
            strayTrash.rmdir(QStringLiteral("info"));
        }
        if (reason)
            *reason = QStringLiteral("no trash folder could be made under %1").arg(dataHome);
        return false;
    }
    escapeRecordedPath(infoFileFor(where), QFileInfo(path).absoluteFilePath());
    if (pathInTrash)
        *pathInTrash = where;
    return true;
}

bool restoreFromTrash(const QString &pathInTrash, const QString &originalPath)
{
    if (!renameBack(pathInTrash, originalPath))
        return false;
    QFile::remove(infoFileFor(pathInTrash));
    return true;
}

} // namespace platform
