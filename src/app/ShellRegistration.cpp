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

bool carriesMarker(const QByteArray &content)
{
    return content.contains(registrationMarker().toUtf8());
}

// An icon is ours when it is our drawing; icons carry no marker.
bool isDrawing(const QByteArray &content, const QByteArray &drawing)
{
    return !drawing.isEmpty() && content == drawing;
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

void registerShellFileTypes(const fw::SingleDocTemplate &docTemplate, const QString &executable)
{
    const FileTypeNames names = fileTypeNames(docTemplate);

    // Icons first: the MIME type and the desktop entry name them.
    platform::writeFileIfChanged(appIconPath(), appIcon());
    platform::writeFileIfChanged(documentIconPath(names), documentIcon());

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
    if (platform::writeFileIfChanged(mimePackagePath(), package) == platform::FileUpdate::Written)
        platform::refreshMimeDatabase();

    const QByteArray entry = fillTemplate(res::desktopEntryTemplate(),
                                          {{QStringLiteral("MARKER"), registrationMarker()},
                                           {QStringLiteral("APP_NAME"), fw::Application::appTitle()},
                                           {QStringLiteral("APP_ICON"), QLatin1String(kAppIconName)},
                                           {QStringLiteral("EXEC"), platform::desktopExecArgument(executable)},
                                           {QStringLiteral("MIME_TYPE"), names.mimeType},
                                           {QStringLiteral("VERSION"), QStringLiteral(BREWDECK_VERSION)}});
    if (platform::writeFileIfChanged(desktopEntryPath(), entry) == platform::FileUpdate::Written)
        platform::refreshDesktopDatabase();
}

void unregisterShellFileTypes(const fw::SingleDocTemplate &docTemplate)
{
    const FileTypeNames names = fileTypeNames(docTemplate);
    if (platform::removeFileIf(desktopEntryPath(), carriesMarker))
        platform::refreshDesktopDatabase();
    if (platform::removeFileIf(mimePackagePath(), carriesMarker))
        platform::refreshMimeDatabase();
    const QByteArray app = appIcon();
    platform::removeFileIf(appIconPath(), [&](const QByteArray &content) { return isDrawing(content, app); });
    const QByteArray document = documentIcon();
    platform::removeFileIf(documentIconPath(names),
                           [&](const QByteArray &content) { return isDrawing(content, document); });
}

} // namespace shellreg
