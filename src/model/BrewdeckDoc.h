#pragma once

#include "Document.h"
#include "WebApp.h"

#include <memory>

// The program's document. Its only content is the web application record,
// built afresh by every new document; document files store nothing, so a
// document opened from a file keeps whatever record it had (none at all when
// the program started with a file).
class CBrewdeckDoc : public fw::Document
{
    Q_OBJECT

public:
    CBrewdeckDoc();
    ~CBrewdeckDoc() override;

    bool onNewDocument() override;
    void onCloseDocument() override;
    void serialize(QIODevice &file, bool storing) override;

    // Null while the document has no web application.
    std::unique_ptr<CWebApp> m_pWebApp;
};
