#include "ShellRegistration.h"

#include "Application.h"
#include "DesktopRegistration.h"
#include "DocTemplate.h"
#include "FrameResources.h"
#include "RegistrationResources.h"
#include "XdgDirs.h"
#include "resource.h"

#include <QFile>

namespace shellreg {

namespace {

const char kAppIconName[] = "brewdeck";

QByteArray resourceBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray appIcon()
{
    return resourceBytes(res::iconResourcePath(IDR_MAINFRAME));
}

QByteArray documentIcon()
{
    return resourceBytes(res::iconResourcePath(IDR_BREWDECK_DOCUMENT_ICON));
}

} // namespace

FileTypeNames fileTypeNames(const fw::SingleDocTemplate &docTemplate)
{
    using fw::DocTemplateField;
    FileTypeNames names;
    QString id = docTemplate.string(DocTemplateField::RegFileTypeId).toLower();
    id.replace(QLatin1Char('.'), QLatin1Char('-'));
    names.mimeType = QStringLiteral("application/x-") + id;
    names.typeName = docTemplate.string(DocTemplateField::RegFileTypeName);
    names.glob = QLatin1Char('*') + docTemplate.string(DocTemplateField::FilterExt);
    names.documentIcon = QString(names.mimeType).replace(QLatin1Char('/'), QLatin1Char('-'));
    return names;
}

QString registrationMarker()
{
    return QStringLiteral("Registered for this user by Brewdeck; \"brewdeck -Unregister\" removes it.");
}

bool carriesMarker(const QByteArray &content)
{
    return content.contains(registrationMarker().toUtf8());
}

QByteArray withMarker(const QByteArray &xml)
{
    const QByteArray comment = "<!-- " + registrationMarker().toUtf8() + " -->\n";
    qsizetype at = 0;
    if (xml.startsWith("<?xml")) {
        const qsizetype end = xml.indexOf("?>");
        at = end < 0 ? 0 : end + 2;
        if (at > 0 && at < xml.size() && xml.at(at) == '\n')
            ++at;
    }
    return QByteArray(xml).insert(at, comment);
}

bool isMarkedCopyOf(const QByteArray &content, const QByteArray &xml)
{
    return carriesMarker(content) || (!xml.isEmpty() && content == xml);
}

QByteArray fillTemplate(QByteArray text, const QList<QPair<QString, QString>> &values)
{
    for (const auto &[name, value] : values)
        text.replace((QLatin1Char('@') + name + QLatin1Char('@')).toUtf8(), value.toUtf8());
    return text;
}

QString mimePackagePath()
{
    return platform::xdgDataHome() + QStringLiteral("/mime/packages/brewdeck.xml");
}

QString desktopEntryPath()
{
    return platform::xdgDataHome() + QStringLiteral("/applications/brewdeck.desktop");
}

QString appIconPath()
{
    return platform::xdgDataHome() + QStringLiteral("/icons/hicolor/scalable/apps/") + QLatin1String(kAppIconName)
        + QStringLiteral(".svg");
}

QString documentIconPath(const FileTypeNames &names)
{
    return platform::xdgDataHome() + QStringLiteral("/icons/hicolor/scalable/mimetypes/") + names.documentIcon
        + QStringLiteral(".svg");
}

QStringList registerShellFileTypes(const fw::SingleDocTemplate &docTemplate, const QString &executable)
{
    const FileTypeNames names = fileTypeNames(docTemplate);
    QStringList leftAlone;
    auto write = [&](const QString &path, const QByteArray &content, const platform::OwnershipTest &isOurs) {
        const platform::FileUpdate update = platform::writeOwnFile(path, content, isOurs);
        if (update == platform::FileUpdate::NotOurs)
            leftAlone << path;
        return update;
    };

    // Icons first: the MIME type and the desktop entry name them.
    const QByteArray app = appIcon();
    write(appIconPath(), withMarker(app), [&](const QByteArray &content) { return isMarkedCopyOf(content, app); });
    const QByteArray document = documentIcon();
    write(documentIconPath(names), withMarker(document),
          [&](const QByteArray &content) { return isMarkedCopyOf(content, document); });

    // Another program's claim on the extension wins; our type then exists
    // without a glob, and its files open with whatever the other type says.
    QString globs;
    if (platform::mimeTypesClaimingGlob(names.glob, names.mimeType).isEmpty())
        globs = QStringLiteral("    <glob pattern=\"%1\"/>\n").arg(names.glob.toHtmlEscaped());
    const QByteArray package = fillTemplate(res::mimePackageTemplate(),
                                            {{QStringLiteral("MARKER"), registrationMarker()},
                                             {QStringLiteral("MIME_TYPE"), names.mimeType.toHtmlEscaped()},
                                             {QStringLiteral("TYPE_NAME"), names.typeName.toHtmlEscaped()},
                                             {QStringLiteral("DOCUMENT_ICON"), names.documentIcon.toHtmlEscaped()},
                                             {QStringLiteral("GLOBS"), globs}});
    // The databases are rebuilt after our change, and again when a rebuild
    // that an earlier start began never finished.
    const platform::FileUpdate packageUpdate = write(mimePackagePath(), package, carriesMarker);
    if (packageUpdate == platform::FileUpdate::Written
        || (packageUpdate == platform::FileUpdate::Unchanged
            && platform::mimeDatabaseIsStale(platform::xdgDataHome() + QStringLiteral("/mime"))))
        platform::refreshMimeDatabase();

    const QByteArray entry = fillTemplate(res::desktopEntryTemplate(),
                                          {{QStringLiteral("MARKER"), registrationMarker()},
                                           {QStringLiteral("APP_NAME"), fw::Application::appTitle()},
                                           {QStringLiteral("APP_ICON"), QLatin1String(kAppIconName)},
                                           {QStringLiteral("EXEC"), platform::desktopExecArgument(executable)},
                                           {QStringLiteral("MIME_TYPE"), names.mimeType},
                                           {QStringLiteral("VERSION"), QStringLiteral(BREWDECK_VERSION)}});
    const platform::FileUpdate entryUpdate = write(desktopEntryPath(), entry, carriesMarker);
    if (entryUpdate == platform::FileUpdate::Written
        || (entryUpdate == platform::FileUpdate::Unchanged && platform::desktopDatabaseIsStale(desktopEntryPath())))
        platform::refreshDesktopDatabase();
    return leftAlone;
}

void unregisterShellFileTypes(const fw::SingleDocTemplate &docTemplate)
{
    const FileTypeNames names = fileTypeNames(docTemplate);
    if (platform::removeFileIf(desktopEntryPath(), carriesMarker))
        platform::refreshDesktopDatabase();
    if (platform::removeFileIf(mimePackagePath(), carriesMarker))
        platform::refreshMimeDatabase();
    const QByteArray app = appIcon();
    platform::removeFileIf(appIconPath(), [&](const QByteArray &content) { return isMarkedCopyOf(content, app); });
    const QByteArray document = documentIcon();
    platform::removeFileIf(documentIconPath(names),
                           [&](const QByteArray &content) { return isMarkedCopyOf(content, document); });
}

} // namespace shellreg
