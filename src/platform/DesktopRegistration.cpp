#include "DesktopRegistration.h"

#include "XdgDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QXmlStreamReader>

#include <cstdlib>

namespace platform {

namespace {

// The database tools finish in well under a second; a hung one must not hold
// up start-up for ever.
constexpr int kToolTimeoutMs = 30000;

bool runTool(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, arguments);
    if (!tool.waitForStarted())
        return false;
    if (!tool.waitForFinished(kToolTimeoutMs)) {
        tool.kill();
        tool.waitForFinished();
        return false;
    }
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

QChar asciiLower(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z') ? QChar(c.unicode() + 32) : c;
}

// Globs are matched without regard to case, but only ASCII letters fold, as
// shared-mime-info does.
bool sameGlob(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a.at(i)) != asciiLower(b.at(i)))
            return false;
    }
    return true;
}

// "weight:type:pattern[:flags]" lines of a compiled globs2 file.
void claimsInGlobs2(const QString &path, const QString &pattern, QStringList &types)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char(':'));
        if (fields.size() >= 3 && sameGlob(fields.at(2), pattern))
            types << fields.at(1);
    }
}

// The <glob> elements of a MIME package, by the type that they belong to.
void claimsInPackage(const QString &path, const QString &pattern, QStringList &types)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QXmlStreamReader xml(&file);
    QString currentType;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("mime-type"))
                currentType = xml.attributes().value(QLatin1String("type")).toString();
            else if (xml.name() == QLatin1String("glob") && !currentType.isEmpty()
                     && sameGlob(xml.attributes().value(QLatin1String("pattern")).toString(), pattern))
                types << currentType;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("mime-type")) {
            currentType.clear();
        }
    }
}

QString escapeKeyFileString(const QString &value)
{
    QString escaped;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QLatin1String("\\r");
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

FileUpdate writeFileIfChanged(const QString &path, const QByteArray &content)
{
    {
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly) && existing.size() == content.size()
            && existing.readAll() == content)
            return FileUpdate::Unchanged;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return FileUpdate::Failed;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return FileUpdate::Failed;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return FileUpdate::Failed;
    }
    return file.commit() ? FileUpdate::Written : FileUpdate::Failed;
}

bool removeFileIf(const QString &path, const std::function<bool(const QByteArray &)> &isOurs)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    file.close();
    return isOurs(content) && file.remove();
}

QStringList xdgDataDirs()
{
    QStringList dirs;
    if (const char *value = std::getenv("XDG_DATA_DIRS"))
        dirs = QFile::decodeName(value).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    // The base directory specification says to ignore relative entries.
    dirs.removeIf([](const QString &dir) { return !dir.startsWith(QLatin1Char('/')); });
    if (dirs.isEmpty())
        dirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    return dirs;
}

QStringList mimeTypesClaimingGlob(const QString &pattern, const QString &except)
{
    QStringList types;
    const QStringList dataDirs = QStringList{xdgDataHome()} + xdgDataDirs();
    for (const QString &dataDir : dataDirs) {
        const QString mimeDir = dataDir + QStringLiteral("/mime");
        claimsInGlobs2(mimeDir + QStringLiteral("/globs2"), pattern, types);
        // A package that nobody has compiled yet still claims its globs: the
        // next database update anywhere makes them count.
        const QDir packages(mimeDir + QStringLiteral("/packages"));
        const QStringList files = packages.entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
        for (const QString &file : files)
            claimsInPackage(packages.filePath(file), pattern, types);
    }
    types.removeAll(except);
    types.removeDuplicates();
    return types;
}

bool refreshMimeDatabase()
{
    return runTool(QStringLiteral("update-mime-database"), {xdgDataHome() + QStringLiteral("/mime")});
}

bool refreshDesktopDatabase()
{
    return runTool(QStringLiteral("update-desktop-database"), {xdgDataHome() + QStringLiteral("/applications")});
}

QString desktopExecArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (const QChar c : argument)
        quote = quote || reserved.contains(c);
    QString exec;
    if (quote) {
        exec += QLatin1Char('"');
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                exec += QLatin1Char('\\');
            exec += c;
        }
        exec += QLatin1Char('"');
    } else {
        exec = argument;
    }
    // "%" starts a field code; the key file's escapes come on top of the
    // Exec key's own quoting.
    exec.replace(QLatin1Char('%'), QLatin1String("%%"));
    return escapeKeyFileString(exec);
}

QString dbusExecArgument(const QString &argument)
{
    bool plain = !argument.isEmpty();
    for (const QChar c : argument) {
        plain = plain
            && (c.isLetterOrNumber() || QStringLiteral("/._+-,:@=").contains(c))
            && c.unicode() < 128;
    }
    if (plain)
        return argument;
    // Inside single quotes nothing is special, so only the quote itself needs
    // the close-escape-reopen form. dbus-daemon undoes the key file's escapes
    // before it splits the line, so backslashes are doubled on top.
    QString quoted = argument;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return escapeKeyFileString(QLatin1Char('\'') + quoted + QLatin1Char('\''));
}

} // namespace platform
