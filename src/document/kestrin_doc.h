// The document of one open compound file. It holds the file's root storage, opened
// transacted so that every change stays pending until the user saves, and reverts and
// releases it when it closes.
#pragma once

#include "base_doc.h"

struct IStorage;

class CKestrinDoc : public CBaseDoc {
public:
    CKestrinDoc() = default;

    // Opens the file's root storage; a failure is reported and leaves no root. The document
    // opens in every case, so that its window shows what went wrong.
    bool OnOpenDocument(const QString& path) override;
    void OnCloseDocument() override;

    IStorage* GetRootStorage() const { return m_pRootStorage; }

private:
    IStorage* m_pRootStorage = nullptr;
};
