#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace fw {
class SingleDocTemplate;
}

// The document file type on the desktop: a shared-mime-info package for the
// template's extension, a desktop entry that opens such files with the
// executable, and the application and document icons in the hicolor theme,
// all under $XDG_DATA_HOME. Files are written only when their content
// changes, and the databases are rebuilt only after a change, so a start that
// finds everything in place writes nothing.
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
// carry it are ever removed.
QString registrationMarker();

// The template with each @NAME@ replaced by its value.
QByteArray fillTemplate(QByteArray text, const QList<QPair<QString, QString>> &values);

// Paths of what registration writes.
QString mimePackagePath();
QString desktopEntryPath();
QString appIconPath();
QString documentIconPath(const FileTypeNames &names);

// Registers the file type. The extension is bound only while no other MIME
// type claims it. Failures are skipped.
void registerShellFileTypes(const fw::SingleDocTemplate &docTemplate, const QString &executable);

// Removes what registration wrote, and nothing of another program.
void unregisterShellFileTypes(const fw::SingleDocTemplate &docTemplate);

} // namespace shellreg
