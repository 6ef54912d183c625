// What the document and tree tests share: the program's application with its resources and a
// profile in a scratch folder, seams that record message boxes and answer file dialogs,
// compound files built through the engine, and a listing of a file by olefile.
#pragma once

#include "recording_message_box.h"
#include "scratch_profile.h"

#include <QFile>
#include <QMdiSubWindow>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "doc_template.h"
#include "file_dialog.h"
#include "kestrin_app.h"
#include "kestrin_doc.h"
#include "kestrin_resources.h"
#include "main_frame.h"
#include "mdi_child_wnd.h"
#include "message_box.h"
#include "resources.h"
#include "stg_tree_view.h"
#include "storage_api.h"

// Answers every file dialog with one path, or cancels.
class ScriptedFileDialog final : public FileDialogPresenter {
public:
    ScriptedFileDialog() : m_before(SetFileDialogPresenter(this)) {}
    ~ScriptedFileDialog() override { SetFileDialogPresenter(m_before); }
    std::optional<QString> Show(const OPENFILENAME&) override {
        ++asked;
        return answer;
    }
    std::optional<QString> answer;
    int asked = 0;

private:
    FileDialogPresenter* m_before;
};

inline std::u16string Wide(const QString& text) {
    return text.toStdU16String();
}

// Builds a compound file through the engine: storages and streams by slash-separated path,
// a stream's bytes given, a storage given as std::nullopt.
using FileLayout = std::vector<std::pair<QString, std::optional<QByteArray>>>;

// The storages on the way stay open until the element is made: a released storage takes
// its open children with it.
inline void PutElement(IStorage* root, const QString& path, const std::optional<QByteArray>& data) {
    const QStringList names = path.split(u'/');
    std::vector<IStorage*> ancestors{root};
    for (int i = 0; i + 1 < names.size(); ++i) {
        IStorage* next = nullptr;
        QCOMPARE(ancestors.back()->OpenStorage(Wide(names[i]).c_str(), nullptr,
                                               STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                               &next),
                 S_OK);
        ancestors.push_back(next);
    }
    const std::u16string last = Wide(names.back());
    constexpr DWORD mode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    if (data) {
        IStream* stream = nullptr;
        QCOMPARE(ancestors.back()->CreateStream(last.c_str(), mode, 0, 0, &stream), S_OK);
        ULONG written = 0;
        QCOMPARE(stream->Write(data->constData(), data->size(), &written), S_OK);
        stream->Release();
    } else {
        IStorage* storage = nullptr;
        QCOMPARE(ancestors.back()->CreateStorage(last.c_str(), mode, 0, 0, &storage), S_OK);
        storage->Release();
    }
    while (ancestors.size() > 1) {
        ancestors.back()->Release();
        ancestors.pop_back();
    }
}

// largeSectors: version 4, 4096-byte sectors.
inline void MakeCompoundFile(const QString& path, const FileLayout& layout,
                             bool largeSectors = false) {
    IStorage* root = nullptr;
    STGOPTIONS options{1, 0, largeSectors ? 4096u : 512u, nullptr};
    QCOMPARE(StgCreateStorageEx(Wide(path).c_str(),
                                STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, STGFMT_DOCFILE,
                                0, &options, nullptr, IID_IStorage,
                                reinterpret_cast<void**>(&root)),
             S_OK);
    for (const auto& [elementPath, data] : layout)
        PutElement(root, elementPath, data);
    QCOMPARE(root->Commit(STGC_DEFAULT), S_OK);
    root->Release();
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file as olefile lists it: one line per element, "path" for storages and
// "path=size" for streams, sorted; names are shown with Python's escapes for control
// characters.
inline QStringList OleList(const QString& path) {
    static const char script[] =
        "import olefile, sys\n"
        "ole = olefile.OleFileIO(sys.argv[1])\n"
        "out = []\n"
        "for entry in ole.listdir(streams=True, storages=True):\n"
        "    name = '/'.join(entry)\n"
        "    kind = ole.get_type(entry)\n"
        "    out.append(name if kind == olefile.STGTY_STORAGE else '%s=%d' % (name, "
        "ole.get_size(entry)))\n"
        "print('\\n'.join(sorted(out)))\n";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return {QStringLiteral("olefile failed: ") + python.readAllStandardError()};
    return QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// The program's application over a scratch profile, and ways into its documents.
class KestrinFixture {
public:
    KestrinFixture() {
        m_app = std::make_unique<CKestrinApp>();
        m_app->m_lpCmdLine.clear();
        QVERIFY(m_app->InitInstance());
    }
    // Whatever a test left open is dropped without a question.
    ~KestrinFixture() {
        for (const auto& docTemplate : m_app->GetDocTemplates()) {
            const auto documents = docTemplate->GetDocuments();
            for (CDocument* doc : documents)
                doc->OnCloseDocument();
        }
    }
    KestrinFixture(const KestrinFixture&) = delete;
    KestrinFixture& operator=(const KestrinFixture&) = delete;
    CKestrinApp* App() const { return m_app.get(); }
    CMainFrame* Frame() const { return KestrinMainFrame(); }
    CKestrinDoc* Open(const QString& path) const {
        return dynamic_cast<CKestrinDoc*>(m_app->OpenDocumentFile(path));
    }
    CKestrinDoc* New() const {
        return dynamic_cast<CKestrinDoc*>(m_app->GetDocTemplates()[0]->OpenDocumentFile(QString()));
    }
    // Closes the active window as the user does: the framework asks to save when modified.
    void CloseActive() const {
        Frame()->MDIGetActive()->GetSubWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private:
    std::unique_ptr<CKestrinApp> m_app;
};

inline CStgTreeView* TreeOf(CKestrinDoc* doc) {
    return doc->GetView<CStgTreeView>();
}

// The child of parent with that text, or null.
inline QTreeWidgetItem* Child(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; parent && i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    return nullptr;
}

// The bytes of the document's current stream, read through its element chain; empty when
// it cannot be opened.
inline QByteArray CurrentStreamBytes(CKestrinDoc* doc) {
    std::unique_ptr<ElementChain> chain = doc->OpenCurrent();
    if (!chain)
        return {};
    if (!chain->GetLast()) {
        chain->ReleaseAll();
        doc->Unlock();
        return {};
    }
    IStream* stream = chain->GetLastStream();
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    QByteArray bytes(static_cast<int>(stat.cbSize.QuadPart), '\0');
    ULONG read = 0;
    stream->Read(bytes.data(), bytes.size(), &read);
    chain->ReleaseAll();
    doc->Unlock();
    return bytes;
}

inline QStringList ChildTexts(QTreeWidgetItem* parent) {
    QStringList texts;
    for (int i = 0; i < parent->childCount(); ++i)
        texts << parent->child(i)->text(0);
    return texts;
}
