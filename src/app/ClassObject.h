#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QPointer>
#include <QString>

class CBrewdeckDoc;

namespace fw {
class SingleDocTemplate;
}

// The class object that an automation run serves at "/" on the session bus.
// It is single-use: it makes one document for one client and then gives up
// the bus name, so the bus starts a new instance for the next client. The
// client's leaving the bus is its final release of the document.
class ClassObject : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    ClassObject(const QDBusConnection &bus, const QString &busName, fw::SingleDocTemplate *docTemplate);
    ~ClassObject() override;

    static QString documentPath();

public slots:
    // Makes the caller's document: a new document with its frame and view, all
    // invisible, marked as modified; returns the document's object path.
    QDBusObjectPath CreateInstance();

private:
    // The client's final release: its document closes, and with it the
    // instance.
    void release();

    QDBusConnection m_bus;
    QString m_busName;
    fw::SingleDocTemplate *m_template;
    bool m_used = false;
    QPointer<CBrewdeckDoc> m_document;
};
