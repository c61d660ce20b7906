#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace viewtest {

// A browser stand-in, installed as $BROWSER: each launch records its
// arguments and the server variables it inherited, then blocks until the
// test releases it, so a test sees that the program went on while its
// browser still ran.
class BrowserRecorder
{
public:
    struct Launch
    {
        QStringList args;
        QStringList environment; // "NAME=value" or "NAME unset"
        bool finished = false;
    };

    BrowserRecorder();

    bool isValid() const;
    QList<Launch> launches() const;
    // Lets every waiting launch, and every later one, end at once.
    void release() const;
    bool allFinished() const;

private:
    QTemporaryDir m_dir;
};

} // namespace viewtest
