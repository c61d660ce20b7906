#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace fw {
class SingleDocTemplate;
}

// The document file type on the desktop: a shared-mime-info package for the
// template's extension, a desktop entry that opens such files with the
// executable, and the application and document icons in the hicolor theme,
// all under $XDG_DATA_HOME. Files are written only when their content
// changes, and the databases are rebuilt (in the background) only after a
// change, so a start that finds everything in place writes nothing and starts
// nothing. A file at one of these paths that does not carry our marker
// belongs to someone else and is never replaced or removed.
namespace shellreg {

// The names that the template's strings give the file type.
struct FileTypeNames
{
    QString mimeType;     // from the file type id, e.g. application/x-brewdeck-document
    QString typeName;     // the readable name of the file type
    QString glob;         // "*" and the document extension
    QString documentIcon; // the icon name of the MIME type
};
FileTypeNames fileTypeNames(const fw::SingleDocTemplate &docTemplate);

// The line that marks a file as written by our registration; only files that
// carry it are ever replaced or removed.
QString registrationMarker();

// True when the content carries the marker.
bool carriesMarker(const QByteArray &content);

// An XML file (an icon, an interface description) with the marker as a
// comment after its XML declaration, or first when it has none.
QByteArray withMarker(const QByteArray &xml);

// True for a registered copy of the XML file: marked, or the bare file that
// an earlier version wrote.
bool isMarkedCopyOf(const QByteArray &content, const QByteArray &xml);

// The template with each @NAME@ replaced by its value.
QByteArray fillTemplate(QByteArray text, const QList<QPair<QString, QString>> &values);

// Paths of what registration writes.
QString mimePackagePath();
QString desktopEntryPath();
QString appIconPath();
QString documentIconPath(const FileTypeNames &names);

// Registers the file type. The extension is bound only while no other MIME
// type claims it. Failures are skipped; gives the paths left alone because
// another program's file is there.
QStringList registerShellFileTypes(const fw::SingleDocTemplate &docTemplate, const QString &executable);

// Removes what registration wrote, and nothing of another program.
void unregisterShellFileTypes(const fw::SingleDocTemplate &docTemplate);

} // namespace shellreg
