#include "ClassObject.h"

#include "Application.h"
#include "BrewdeckDoc.h"
#include "DocTemplate.h"
#include "SessionBus.h"
#include "ibrewdeckadaptor.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QDBusMessage>

ClassObject::ClassObject(const QDBusConnection &bus, const QString &busName, fw::SingleDocTemplate *docTemplate)
    : m_bus(bus), m_busName(busName), m_template(docTemplate)
{
    // A bus that goes away takes every client with it; an instance without a
    // document would otherwise wait for ever for a client that cannot come.
    platform::watchBusLoss(m_bus, this, [this] {
        if (m_document)
            release();
        else
            QCoreApplication::quit();
    });
}

ClassObject::~ClassObject() = default;

QString ClassObject::documentPath()
{
    return QStringLiteral("/Document");
}

QDBusObjectPath ClassObject::CreateInstance()
{
    if (m_used) {
        sendErrorReply(QStringLiteral("Brewdeck.ClassObject.Error.Used"),
                       QStringLiteral("This instance already serves its one client; ask the bus name again."));
        return {};
    }
    fw::Application *app = fw::Application::current();
    if (!app || !m_template) {
        sendErrorReply(QDBusError::Failed, QStringLiteral("The document class is not available."));
        return {};
    }

    // Making the document must not hand the program to the user.
    const bool userControl = app->userControl();
    auto *document = qobject_cast<CBrewdeckDoc *>(m_template->openDocumentFile(QString(), false));
    app->setUserControl(userControl);
    if (!document) {
        sendErrorReply(QDBusError::Failed, QStringLiteral("The document could not be made."));
        return {};
    }
    document->setModifiedFlag(true);

    new IBrewdeckAdaptor(document);
    if (!m_bus.registerObject(documentPath(), document, QDBusConnection::ExportAdaptors)) {
        document->onCloseDocument();
        sendErrorReply(QDBusError::Failed, QStringLiteral("The document could not be offered on the bus."));
        return {};
    }
    m_used = true;
    m_document = document;
    platform::watchBusClient(m_bus, message().service(), this, [this] { release(); });

    // Given up before the reply goes out, so that the client's next request
    // for the name already starts another instance.
    platform::releaseBusName(m_bus, m_busName);
    return QDBusObjectPath(documentPath());
}

void ClassObject::release()
{
    if (m_document)
        m_document->onCloseDocument();
}
