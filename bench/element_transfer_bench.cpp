// What moving bytes in and out of a compound file costs: a 1 GiB file imported as a stream
// and exported again, beside cp copying the same file in the same run; and a 100 MiB stream
// copied and pasted within one file. Time with QElapsedTimer, peak memory as VmHWM after
// /proc/self/clear_refs reset it. Not a test: run it by hand.
#include <QClipboard>
#include <QElapsedTimer>
#include <cstdio>
#include <malloc.h>

#include "bench_support.h"
#include "doc_test_support.h"
#include "frame_wnd.h"
#include "tree_ids.h"

namespace {

// A line of /proc/self/status in MiB.
double StatusMiB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ')[0].toDouble() / 1024.0;
    return 0;
}

// Runs step; its time in seconds and the peak resident memory while it ran, in MiB.
template <class Step> std::pair<double, double> Measure(Step step) {
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    QElapsedTimer timer;
    timer.start();
    step();
    return {timer.nsecsElapsed() / 1e9, StatusMiB("VmHWM:")};
}

void Command(CStgTreeView* tree, QTreeWidgetItem* item, UINT id) {
    tree->setCurrentItem(item);
    tree->GetParentFrame()->SetActiveView(tree);
    tree->GetParentFrame()->SendCommand(id);
}

} // namespace

int main(int argc, char** argv) {
    OffscreenApplication application(argc, argv);
    QTemporaryDir profile;
    QTemporaryDir files(QDir::currentPath() + QStringLiteral("/transfer-bench-XXXXXX"));
    UseScratchProfile(profile);
    constexpr qint64 kBig = qint64{1} << 30;
    const QString big = files.filePath(QStringLiteral("big.bin"));
    {
        QFile out(big);
        out.open(QIODevice::WriteOnly);
        QByteArray chunk(1 << 20, '\0');
        for (qint64 done = 0; done < kBig; done += chunk.size()) {
            for (int i = 0; i < chunk.size(); i += 4096)
                chunk[i] = static_cast<char>((done + i) / 4096);
            out.write(chunk);
        }
    }
    const auto cp = Measure([&] {
        QProcess::execute(QStringLiteral("cp"), {big, files.filePath(QStringLiteral("cp.bin"))});
    });
    QFile::remove(files.filePath(QStringLiteral("cp.bin")));
    // cp copies inside the kernel (copy_file_range); cat moves the bytes through user space
    // as an export does.
    const auto cat = Measure([&] {
        QProcess::execute(QStringLiteral("sh"),
                          {QStringLiteral("-c"), QStringLiteral("cat \"$0\" > \"$0.cat\""), big});
    });
    QFile::remove(big + QStringLiteral(".cat"));

    const QString path = files.filePath(QStringLiteral("doc.cfb"));
    MakeCompoundFile(path, {{QStringLiteral("Hundred"), QByteArray(100 << 20, 'h')}});
    RecordingMessageBox boxes;
    KestrinFixture fixture;
    CStgTreeView* tree = TreeOf(fixture.Open(path));
    QTreeWidgetItem* root = tree->GetRootItem();
    const double before = StatusMiB("VmRSS:");
    ScriptedFileDialog dialog;
    dialog.answer = big;
    const auto import = Measure([&] { Command(tree, root, ID_STREAM_IMPORT); });
    const QString exported = files.filePath(QStringLiteral("exported.bin"));
    dialog.answer = exported;
    const auto exportTime =
        Measure([&] { Command(tree, Child(root, QStringLiteral("big.bin")), ID_STREAM_EXPORT); });
    const bool same = QProcess::execute(QStringLiteral("cmp"), {big, exported}) == 0;
    QFile::remove(exported);
    // Once saved, the stream is read from the file rather than from the pending changes.
    const auto save = Measure([&] { tree->GetDocument()->OnSaveDocument(path); });
    const auto exportSaved =
        Measure([&] { Command(tree, Child(root, QStringLiteral("big.bin")), ID_STREAM_EXPORT); });
    QFile::remove(exported);

    const auto copy =
        Measure([&] { Command(tree, Child(root, QStringLiteral("Hundred")), ID_EDIT_COPY); });
    const auto paste = Measure([&] { Command(tree, root, ID_EDIT_PASTE); });
    QGuiApplication::clipboard()->clear();
    const double mib = kBig / 1048576.0;
    std::printf("resident before: %.1f MiB; messages: %lld; export identical: %s\n", before,
                static_cast<long long>(boxes.texts.size()), same ? "yes" : "NO");
    std::printf("cp 1 GiB:     %.2f s, %.0f MiB/s\n", cp.first, mib / cp.first);
    std::printf("cat 1 GiB:    %.2f s, %.0f MiB/s\n", cat.first, mib / cat.first);
    std::printf("import 1 GiB: %.2f s, %.0f MiB/s (%.0f%% of cp), peak %.1f MiB\n", import.first,
                mib / import.first, 100 * cp.first / import.first, import.second);
    std::printf("export 1 GiB: %.2f s, %.0f MiB/s (%.0f%% of cp), peak %.1f MiB\n",
                exportTime.first, mib / exportTime.first, 100 * cp.first / exportTime.first,
                exportTime.second);
    std::printf("save: %.2f s; export 1 GiB once saved: %.2f s, %.0f MiB/s (%.0f%% of cp), "
                "peak %.1f MiB\n",
                save.first, exportSaved.first, mib / exportSaved.first,
                100 * cp.first / exportSaved.first, exportSaved.second);
    std::printf("copy 100 MiB stream: %.2f s, peak %.1f MiB; paste: %.2f s, peak %.1f MiB\n",
                copy.first, copy.second, paste.first, paste.second);
    return 0;
}
