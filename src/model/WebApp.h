#pragma once

#include <QString>

// The one web application that the program manages inside the server, and
// the folders where its files go. Built from the install folder only; after
// that, only the home page ever changes.
class CWebApp
{
public:
    CWebApp() = default;
    virtual ~CWebApp() = default;
    CWebApp(const CWebApp &) = delete;
    CWebApp &operator=(const CWebApp &) = delete;

    QString GetName() const { return m_strName; }
    QString GetHomePage() const { return m_strHomePage; }
    QString GetClassesDir() const { return m_strClassesDir; }
    QString GetLibDir() const { return m_strLibDir; }
    QString GetJspDir() const { return m_strJspDir; }

    // A file name inside the JSP folder; chosen by the user from the JSP list.
    QString m_strHomePage;

private:
    friend void InitWebApp(const QString &installDir, CWebApp *webApp);

    QString m_strTomcatHome;
    QString m_strWebAppsDir;
    QString m_strAppDir;
    QString m_strName;
    QString m_strClassesDir;
    QString m_strLibDir;
    QString m_strJspDir;
};

// Fills every field of the record with the defaults for the given install
// folder (no trailing separator; empty for the root folder).
void InitWebApp(const QString &installDir, CWebApp *webApp);
