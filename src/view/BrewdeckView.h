#pragma once

#include "FormView.h"

#include <QByteArray>
#include <QSet>
#include <QString>

class CBrewdeckDoc;
class CWebApp;
class QListWidget;

// The program's one view: a fixed form, made from its template
// IDD_WORKSPACE_FORM, with the web application's name and
// home page, its JSP, CLASS and JAR files, and the buttons that add files,
// pick the home page and browse it. It also handles the web service commands
// and owns the running flag that enables them. One view serves every
// document, so the flag survives New and Open.
class CBrewdeckView : public fw::FormView
{
    Q_OBJECT

public:
    CBrewdeckView();
    ~CBrewdeckView() override;

    CBrewdeckDoc *GetDocument() const;

    void onInitialUpdate() override;
    void onUpdate(fw::View *sender, long hint, QObject *hintObject) override;

    // Lets the user choose one file with an open dialog of the given filter
    // and copies it into the folder; true only when a file was chosen and
    // really copied.
    bool CopyFileInto(const QString &filter, const QString &destinationDir);

    // The kinds of file that the three "+" buttons add.
    enum class FileKind { Jsp, Class, Jar };
    void AddFileOfKind(FileKind kind);

    // Button and command handlers.
    void OnAddJsp();
    void OnAddClass();
    void OnAddJar();
    void OnRun();
    void OnSetHome();
    void OnWebStart();
    void OnWebStop();
    void OnUpdateWebStart(fw::CommandUi &ui);
    void OnUpdateWebStop(fw::CommandUi &ui);

    // Whether the web service was started last (not the server's real state).
    bool m_bServerRunning = false;
    QString m_strAppName;
    QString m_strHomePage;
    QListWidget *m_listJsp = nullptr;
    QListWidget *m_listClass = nullptr;
    QListWidget *m_listJar = nullptr;

protected:
    void doDataExchange(fw::DataExchange &dx) override;

private:
    CWebApp *webApp() const;
    // Fills a list from its folder and notes the names left out of it.
    void fillList(QListWidget *list, const QString &folder, const QString &wildcard, QStringList &leftOut);
    // Tells once about names the lists leave out (names that are not UTF-8).
    void reportLeftOut(const QStringList &leftOut);

    void bindCommands();

    // Left-out files already reported, by full path, so each is told once.
    QSet<QString> m_reportedLeftOut;
};
