#pragma once

#include "BrewdeckApp.h"
#include "TestSupport.h"

#include <QTemporaryDir>

class CBrewdeckDoc;
class CBrewdeckView;
class CMainFrame;

// The program's application, document template, frame, view and document as
// start-up makes them for an ordinary run without a file, in a sandboxed
// home and with an install folder of the test's own. Needs the QApplication.
class FrameFixture
{
public:
    FrameFixture();
    ~FrameFixture();
    FrameFixture(const FrameFixture &) = delete;
    FrameFixture &operator=(const FrameFixture &) = delete;

    // Makes the first document, which makes the frame and the view, shows
    // the frame and lets it take dropped files; false when any is missing.
    bool start();

    CBrewdeckApp &app() { return m_app; }
    CMainFrame *frame() const;
    CBrewdeckView *view() const;
    CBrewdeckDoc *document() const;
    QString installDir() const { return m_installDir.path(); }
    const testsupport::SandboxedHome &home() const { return m_home; }

private:
    testsupport::SandboxedHome m_home;
    QTemporaryDir m_installDir;
    CBrewdeckApp m_app;
};
