// What the transfer tests share: elements reached by path, commands run as the user runs
// them, and a file's elements with their digests as olefile reads them.
#pragma once

#include "doc_test_support.h"
#include "frame_wnd.h"

// The elements whose paths start with prefix, as olefile reads them: "path" for a storage,
// "path md5" for a stream (type 2), prefix cut off, sorted.
inline QStringList OleDigests(const QString& path, const QString& prefix = QString()) {
    static const char script[] =
        "import olefile, sys, hashlib\n"
        "ole, pre = olefile.OleFileIO(sys.argv[1]), sys.argv[2]\n"
        "for e in sorted('/'.join(e) for e in ole.listdir(True, True)):\n"
        "    d = ole.get_type(e) == 2 and hashlib.md5(ole.openstream(e).read()).hexdigest()\n"
        "    if e.startswith(pre): print(e[len(pre):], d or '')\n";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path, prefix});
    if (!python.waitForFinished(120000) || python.exitCode() != 0)
        return {QStringLiteral("olefile failed: ") + python.readAllStandardError()};
    return QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// The item at a slash path below the root item, expanding on the way.
inline QTreeWidgetItem* Item(CKestrinDoc* doc, const QString& path) {
    QTreeWidgetItem* item = TreeOf(doc)->GetRootItem();
    for (const QString& name : path.split(u'/', Qt::SkipEmptyParts)) {
        TreeOf(doc)->expandItem(item);
        item = Child(item, name);
    }
    return item;
}

// Runs a command on the element at path as the user does, with the tree the active view.
inline bool Command(CKestrinDoc* doc, const QString& path, UINT id) {
    CStgTreeView* tree = TreeOf(doc);
    tree->setCurrentItem(Item(doc, path));
    tree->GetParentFrame()->SetActiveView(tree);
    return tree->GetParentFrame()->SendCommand(id);
}
