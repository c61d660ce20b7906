#include "BrowserRecorder.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace viewtest {

BrowserRecorder::BrowserRecorder()
{
    const QString script = m_dir.filePath(QStringLiteral("browser"));
    testsupport::writeFile(script, R"(#!/bin/sh
dir=${0%/*}
record="$dir/launch.$$"
{
    for arg in "$@"; do printf 'arg %s\n' "$arg"; done
    for name in JRE_HOME JAVA_HOME CATALINA_HOME; do
        if value=$(printenv "$name"); then printf 'env %s=%s\n' "$name" "$value"; else printf 'env %s unset\n' "$name"; fi
    done
} >"$record.part"
mv "$record.part" "$record.rec"
i=0
while [ ! -e "$dir/release" ] && [ $i -lt 1200 ]; do sleep 0.05; i=$((i + 1)); done
: >"$record.done"
)");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // xdg-open splits $BROWSER at colons and spaces: the temporary
    // folder's path has neither.
    qputenv("BROWSER", QFile::encodeName(script));
}

bool BrowserRecorder::isValid() const
{
    return m_dir.isValid() && !m_dir.path().contains(QLatin1Char(' '));
}

QList<BrowserRecorder::Launch> BrowserRecorder::launches() const
{
    QList<Launch> found;
    const QStringList records = QDir(m_dir.path()).entryList({QStringLiteral("launch.*.rec")}, QDir::Files, QDir::Name);
    for (const QString &name : records) {
        Launch launch;
        const QList<QByteArray> lines = testsupport::readFile(m_dir.filePath(name)).split('\n');
        for (const QByteArray &line : lines) {
            if (line.startsWith("arg "))
                launch.args << QString::fromUtf8(line.mid(4));
            else if (line.startsWith("env "))
                launch.environment << QString::fromUtf8(line.mid(4));
        }
        const QString done = m_dir.filePath(name.chopped(4) + QStringLiteral(".done"));
        launch.finished = QFileInfo::exists(done);
        found << launch;
    }
    return found;
}

void BrowserRecorder::release() const
{
    testsupport::writeFile(m_dir.filePath(QStringLiteral("release")), QByteArray());
}

bool BrowserRecorder::allFinished() const
{
    const QList<Launch> all = launches();
    return std::all_of(all.cbegin(), all.cend(), [](const Launch &launch) { return launch.finished; });
}

} // namespace viewtest
