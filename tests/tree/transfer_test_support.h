// What the element transfer tests share: elements reached by their paths, commands run as
// the user runs them, a user who cancels, and a file's elements as olefile reads them.
#pragma once

#include "doc_test_support.h"
#include "frame_wnd.h"
#include "progress.h"

// A progress presenter whose user cancels at once.
class CancellingProgress final : public ProgressPresenter {
public:
    CancellingProgress() : m_before(SetProgressPresenter(this)) {}
    ~CancellingProgress() override { SetProgressPresenter(m_before); }
    void Begin(const QString&) override {}
    bool Step(int) override { return false; }
    void End() override {}

private:
    ProgressPresenter* m_before;
};

// Every element below prefix in the file, as olefile reads it: "path" for storages and
// "path=md5" for streams, paths relative to prefix, sorted.
inline QStringList OleDigests(const QString& path, const QString& prefix) {
    static const char script[] =
        "import olefile, sys, hashlib\n"
        "ole = olefile.OleFileIO(sys.argv[1])\n"
        "pre = [p for p in sys.argv[2].split('/') if p]\n"
        "out = []\n"
        "for e in ole.listdir(streams=True, storages=True):\n"
        "    if e[:len(pre)] != pre or len(e) == len(pre): continue\n"
        "    name = '/'.join(e[len(pre):])\n"
        "    if ole.get_type(e) == olefile.STGTY_STORAGE: out.append(name)\n"
        "    else: out.append(name + '=' + hashlib.md5(ole.openstream(e).read()).hexdigest())\n"
        "print('\\n'.join(sorted(out)))\n";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path, prefix});
    if (!python.waitForFinished(120000) || python.exitCode() != 0)
        return {QStringLiteral("olefile failed: ") + python.readAllStandardError()};
    return QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// The item at a slash path below the root item, expanding on the way.
inline QTreeWidgetItem* Item(CKestrinDoc* doc, const QString& path) {
    CStgTreeView* tree = TreeOf(doc);
    QTreeWidgetItem* item = tree->GetRootItem();
    for (const QString& name : path.split(u'/', Qt::SkipEmptyParts)) {
        tree->expandItem(item);
        item = Child(item, name);
    }
    return item;
}

inline QByteArray Bytes(CKestrinDoc* doc, const QString& path) {
    TreeOf(doc)->setCurrentItem(Item(doc, path));
    return CurrentStreamBytes(doc);
}

// Runs a command on doc's tree as the user does, with the tree the active view.
inline bool Command(CKestrinDoc* doc, const QString& path, UINT id) {
    CStgTreeView* tree = TreeOf(doc);
    tree->setCurrentItem(Item(doc, path));
    tree->GetParentFrame()->SetActiveView(tree);
    return tree->GetParentFrame()->SendCommand(id);
}
