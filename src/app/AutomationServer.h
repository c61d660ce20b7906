#pragma once

#include "DesktopRegistration.h"

#include <QString>
#include <QUuid>

#include <memory>

class ClassObject;

namespace fw {
class SingleDocTemplate;
}

// The document's automation class. Start-up connects it to the document
// template; registration records it for the session bus (a D-Bus activation
// file that starts the executable with "-Embedding" for the bus name, the
// template's file type id); only an automation run offers its class object on
// the bus, and then for one client only.
class AutomationServer
{
public:
    AutomationServer();
    ~AutomationServer();
    AutomationServer(const AutomationServer &) = delete;
    AutomationServer &operator=(const AutomationServer &) = delete;

    // Binds the class to the template that makes its objects; touches no bus.
    void connectTemplate(const QUuid &clsid, fw::SingleDocTemplate *docTemplate);
    QUuid classId() const { return m_clsid; }

    // The well-known bus name of the class.
    QString busName() const;
    // Where the class's activation file lives.
    QString activationFilePath() const;

    // Writes the activation file that starts the executable for the bus name;
    // written only when it changed, and never over another program's file.
    platform::FileUpdate updateRegistry(const QString &executable);
    // Removes the activation file that updateRegistry wrote, and never one of
    // another program.
    bool unregister();

    // Offers the class object on the session bus and asks for the bus name;
    // false when the session bus cannot be reached. Withdrawn when the event
    // loop ends.
    bool registerRunning();
    void revoke();

private:
    QUuid m_clsid;
    fw::SingleDocTemplate *m_template = nullptr;
    std::unique_ptr<ClassObject> m_classObject;
};
