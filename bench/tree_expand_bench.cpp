// How long the tree takes to expand a storage of 10,000 children (9,000 streams and 1,000
// storages, every tenth storage holding one stream, so that placeholders are looked for):
// the median of several collapse-and-expand rounds, printed beside the median time the
// storage folder alone takes to list the same storage; and how long a new stream takes in a
// storage where 10,000 of its free-name candidates are taken. Not a test: run it by hand.
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

#include "bench_support.h"
#include "doc_test_support.h"
#include "stg_folder.h"

namespace {} // namespace

int main(int argc, char** argv) {
    OffscreenApplication application(argc, argv);
    QTemporaryDir profile;
    QTemporaryDir files;
    UseScratchProfile(profile);
    const QString path = files.filePath(QStringLiteral("wide.cfb"));
    FileLayout layout{{QStringLiteral("Wide"), std::nullopt}};
    for (int i = 0; i < 10000; ++i) {
        const QString name = QStringLiteral("Wide/E%1").arg(i, 5, 10, QLatin1Char('0'));
        if (i % 10 == 0) {
            layout.push_back({name, std::nullopt});
            if (i % 100 == 0)
                layout.push_back({name + QStringLiteral("/S"), QByteArray("x")});
        } else {
            layout.push_back({name, QByteArray("data")});
        }
    }
    const QString base = QString::fromUtf16(u"新しいストリーム");
    layout.push_back({QStringLiteral("Taken"), std::nullopt});
    layout.push_back({QStringLiteral("Taken/") + base, QByteArray()});
    for (int n = 1; n < 10000; ++n)
        layout.push_back({QStringLiteral("Taken/%1 (%2)").arg(base).arg(n), QByteArray()});
    MakeCompoundFile(path, layout);
    KestrinFixture fixture;
    CStgTreeView* tree = TreeOf(fixture.Open(path));
    QTreeWidgetItem* wide = Child(tree->GetRootItem(), QStringLiteral("Wide"));
    const qint64 expand = MedianMs(
        [&] {
            tree->collapseItem(wide);
            tree->expandItem(wide);
        },
        7);
    CKestrinDoc* doc = tree->GetDocument();
    tree->setCurrentItem(wide);
    std::unique_ptr<ElementChain> chain = doc->OpenCurrent();
    const qint64 folderOnly = MedianMs(
        [&] {
            CStgFolder folder(chain->GetLastStorage());
            folder.Fill();
        },
        7);
    chain->ReleaseAll();
    doc->Unlock();
    tree->setCurrentItem(Child(tree->GetRootItem(), QStringLiteral("Taken")));
    QString name;
    QElapsedTimer timer;
    timer.start();
    tree->CreateNewStream(name, FALSE);
    const qint64 create = timer.elapsed();
    std::printf("children %d: expand median %lld ms, of which listing the storage with "
                "CStgFolder alone %lld ms\n"
                "new stream beside 10,000 taken names: %lld ms (named \"%s\")\n",
                wide->childCount(), static_cast<long long>(expand),
                static_cast<long long>(folderOnly), static_cast<long long>(create),
                name.toUtf8().constData());
    return 0;
}
