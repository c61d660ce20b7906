#pragma once

#include "CommandTarget.h"

#include <QList>
#include <QObject>
#include <QString>

class QIODevice;

namespace fw {

class DocumentTemplate;
class DocumentView;

// The data of a document/view program. A document changes through a few named
// operations (new, open, save, close) and tells its views with updateAllViews.
class Document : public QObject, public CommandTarget
{
    Q_OBJECT

public:
    Document();
    ~Document() override;

    QString title() const { return m_title; }
    void setTitle(const QString &title);

    QString pathName() const { return m_pathName; }
    // Also sets the title to the file's name and enters it in the recent files.
    void setPathName(const QString &path, bool addToRecentFiles = true);
    void clearPathName();

    bool isModified() const { return m_modified; }
    void setModifiedFlag(bool modified = true) { m_modified = modified; }

    // Whether onCloseDocument deletes the document (true for documents the
    // template makes).
    bool autoDelete() const { return m_autoDelete; }
    void setAutoDelete(bool on) { m_autoDelete = on; }

    // Empties the contents, forgets the file and clears the modified flag.
    virtual bool onNewDocument();
    // Reads the file. False, with the failure reported, when it cannot be
    // opened (the document is then unchanged) or read.
    virtual bool onOpenDocument(const QString &path);
    // Writes the file through a temporary file that replaces it only when
    // complete. False, with the failure reported, when it cannot be written.
    virtual bool onSaveDocument(const QString &path);
    // Ends the document: destroys its frames and views, empties it and, when
    // set to, deletes it.
    virtual void onCloseDocument();
    virtual void deleteContents();
    // Reads or writes the contents through an open file.
    virtual void serialize(QIODevice &file, bool storing);

    // Offers to save a modified document; false when the user cancels.
    virtual bool saveModified();
    // The save command: a document without a file goes through Save As.
    bool doFileSave();
    // Save As: asks for a name (proposing the title and the default extension).
    bool doSave(const QString &path, bool replace = true);

    DocumentTemplate *docTemplate() const { return m_template; }
    void setDocTemplate(DocumentTemplate *docTemplate) { m_template = docTemplate; }

    void addView(DocumentView *view);
    void removeView(DocumentView *view);
    QList<DocumentView *> views() const { return m_views; }
    // Every view but the sender is told (onDocumentUpdate); a null sender
    // tells all.
    void updateAllViews(DocumentView *sender, long hint = 0, QObject *hintObject = nullptr);

signals:
    void titleChanged(const QString &title);

private:
    // Failures go to the application, which shows them where it has windows.
    static void reportFileError(int stringId, const QString &path, const QString &reason);

    QString m_title;
    QString m_pathName;
    bool m_modified = false;
    bool m_autoDelete = true;
    DocumentTemplate *m_template = nullptr;
    QList<DocumentView *> m_views;
};

} // namespace fw
