#pragma once

#include "BrewdeckApp.h"

#include <QString>

class CBrewdeckDoc;
class CBrewdeckView;
class CMainFrame;

// One run of the program as start-up makes it, with the install folder the
// test names: the application, its document template, the main frame, the
// view and the first document. Needs the QApplication and a sandboxed home.
class ProgramRun
{
public:
    explicit ProgramRun(const QString &installDir);
    ~ProgramRun();
    ProgramRun(const ProgramRun &) = delete;
    ProgramRun &operator=(const ProgramRun &) = delete;

    // A start without a document file: the first document is a new one.
    bool startNew();
    // A start with a document file on the command line: the first document
    // is opened from it and no new document is made.
    bool startWithFile(const QString &path);
    // Ends the run as the user does, by closing the main window, and leaves
    // the application as the program does after its event loop.
    void end();

    CMainFrame *frame() const;
    CBrewdeckView *view() const;
    CBrewdeckDoc *document() const;

private:
    bool setUp();
    bool showFrame();

    CBrewdeckApp m_app;
    bool m_ended = false;
};
