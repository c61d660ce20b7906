#include "RecentFileList.h"

#include <QSettings>

namespace fw {

RecentFileList::RecentFileList(QString section, QString entryFormat, int size)
    : m_section(std::move(section)), m_entryFormat(std::move(entryFormat)), m_size(size)
{
}

void RecentFileList::add(const QString &path)
{
    if (path.isEmpty())
        return;
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > m_size)
        m_files.removeLast();
}

void RecentFileList::remove(const QString &path)
{
    m_files.removeAll(path);
}

void RecentFileList::read(QSettings &settings)
{
    m_files.clear();
    settings.beginGroup(m_section);
    for (int i = 1; i <= m_size; ++i) {
        const QString file = settings.value(m_entryFormat.arg(i)).toString();
        if (!file.isEmpty())
            m_files.append(file);
    }
    settings.endGroup();
}

void RecentFileList::write(QSettings &settings) const
{
    settings.beginGroup(m_section);
    for (int i = 1; i <= m_size; ++i) {
        const QString key = m_entryFormat.arg(i);
        if (i <= m_files.size())
            settings.setValue(key, m_files.at(i - 1));
        else
            settings.remove(key);
    }
    settings.endGroup();
}

} // namespace fw
