#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace fw {

// The most-recently-used documents, newest first, kept in the settings store
// under one section with values "File1", "File2", ...
class RecentFileList
{
public:
    RecentFileList(QString section, QString entryFormat, int size);

    int size() const { return m_size; }
    QStringList files() const { return m_files; }

    // Moves an existing entry to the front; the oldest falls off the end.
    void add(const QString &path);
    void remove(const QString &path);

    void read(QSettings &settings);
    void write(QSettings &settings) const;

private:
    QString m_section;
    QString m_entryFormat;
    int m_size;
    QStringList m_files;
};

} // namespace fw
