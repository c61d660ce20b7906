#include "FileHelpers.h"

#include <QDir>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace viewtest {

namespace {

constexpr unsigned kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool capabilities(__user_cap_data_struct (&data)[2], bool set)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}

} // namespace

PermissionsEnforced::PermissionsEnforced()
{
    __user_cap_data_struct data[2] = {};
    if (!capabilities(data, false))
        return;
    m_savedEffective[0] = data[0].effective;
    m_savedEffective[1] = data[1].effective;
    if ((data[0].effective & kOverrides) == 0) {
        m_valid = true;
        return;
    }
    data[0].effective &= ~kOverrides;
    m_dropped = m_valid = capabilities(data, true);
}

PermissionsEnforced::~PermissionsEnforced()
{
    if (!m_dropped)
        return;
    __user_cap_data_struct data[2] = {};
    if (capabilities(data, false)) {
        data[0].effective = m_savedEffective[0];
        data[1].effective = m_savedEffective[1];
        capabilities(data, true);
    }
}

QStringList leftovers(const QString &folder)
{
    QStringList hidden;
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (name.startsWith(QLatin1Char('.')))
            hidden << name;
    }
    return hidden;
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace viewtest
