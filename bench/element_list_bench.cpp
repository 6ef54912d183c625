// How long the element list takes to show a storage of 100,000 streams: Fill in details
// style until the widget has painted once (grab), first on a fresh list and then as the
// median of refills; what listing the storage with the folder alone takes; the switch to
// each icon style until painted; and how far the process's peak memory grows while the list
// is filled. Not a test: run it by hand.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

#include "bench_support.h"
#include "element_list_ctrl.h"
#include "stg_folder.h"
#include "storage_api.h"

namespace {

std::u16string Wide(const QString& text) {
    return text.toStdU16String();
}

constexpr int kStreams = 100000;
constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

void MakeWide(const QString& path) {
    IStorage* root = nullptr;
    IStorage* wide = nullptr;
    StgCreateDocfile(Wide(path).c_str(), kCreate, 0, &root);
    root->CreateStorage(u"Wide", kCreate, 0, 0, &wide);
    for (int i = 0; i < kStreams; ++i) {
        IStream* stream = nullptr;
        const QString name = QStringLiteral("Stream %1").arg(i, 6, 10, QLatin1Char('0'));
        wide->CreateStream(Wide(name).c_str(), kCreate, 0, 0, &stream);
        stream->Write("data", 4, nullptr);
        stream->Release();
    }
    wide->Release();
    root->Commit(STGC_DEFAULT);
    root->Release();
}

// A line of /proc/self/status in KiB, e.g. "VmHWM".
long StatusKiB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toLong();
    return -1;
}

// Lets the peak start again from what the process holds now.
void ResetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

} // namespace

int main(int argc, char** argv) {
    OffscreenApplication application(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--make") {
        MakeWide(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    // The file is made by a second run of this program, so that the memory its making took
    // is neither counted nor reused by the fill.
    QTemporaryDir files;
    const QString path = files.filePath(QStringLiteral("wide.cfb"));
    QProcess::execute(QCoreApplication::applicationFilePath(), {QStringLiteral("--make"), path});
    IStorage* root = nullptr;
    IStorage* wide = nullptr;
    StgOpenStorage(Wide(path).c_str(), nullptr,
                   STGM_TRANSACTED | STGM_SHARE_DENY_WRITE | STGM_READWRITE, nullptr, 0, &root);
    root->OpenStorage(u"Wide", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &wide);

    CElementListCtrl list;
    list.resize(640, 480);
    list.show();
    list.grab();
    ResetPeak();
    const long rssBefore = StatusKiB("VmRSS");
    const qint64 first = ElapsedMs([&] {
        list.Fill(wide);
        list.grab();
    });
    const long peak = StatusKiB("VmHWM");
    malloc_trim(0); // what the fill keeps, not what the allocator has not handed back yet
    const long rssAfter = StatusKiB("VmRSS");
    const qint64 refill = MedianMs([&] {
        list.Fill(wide);
        list.grab();
    });
    const qint64 folderOnly = MedianMs([&] {
        CStgFolder folder(wide, QString(), TRUE);
        folder.Fill();
    });
    const auto switchTo = [&](DWORD style) {
        return ElapsedMs([&] {
            list.SetListStyle(style);
            list.grab();
        });
    };
    const qint64 large = switchTo(LVS_ICON);
    const qint64 small = switchTo(LVS_SMALLICON);
    const qint64 details = switchTo(LVS_REPORT);
    const int items = list.GetItemCount();
    list.Fill(nullptr);
    malloc_trim(0);
    const long rssEmptied = StatusKiB("VmRSS");
    wide->Release();
    root->Release();
    std::printf(
        "items %d\n"
        "fill + first paint, details: fresh %lld ms, refill median %lld ms\n"
        "  of which listing with CStgFolder (full information) alone: median %lld ms\n"
        "switch + first paint: large icons %lld ms, small icons %lld ms, details %lld ms\n"
        "memory: RSS %ld KiB before the fill, %ld KiB after, %ld KiB with the list emptied; "
        "peak %ld KiB (+%ld KiB)\n",
        items, static_cast<long long>(first), static_cast<long long>(refill),
        static_cast<long long>(folderOnly), static_cast<long long>(large),
        static_cast<long long>(small), static_cast<long long>(details), rssBefore, rssAfter,
        rssEmptied, peak, peak - rssBefore);
    return 0;
}
