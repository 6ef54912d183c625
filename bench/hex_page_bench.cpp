// How long the hex page takes from a page command to the painted page in a stream of 1 GiB:
// 1,000 pages at random offsets (a fixed seed), each the document's page offset set, every
// view updated and the page view's viewport rendered (grab) at once. Prints the median and the
// worst, and the medians of the lower and upper half of the offsets, which should agree: a
// page reads its 256 bytes, never the stream up to them. Not a test: run it by hand.
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <random>

#include "bench_support.h"
#include "doc_test_support.h"
#include "kestrin_view.h"

namespace {

constexpr ULONGLONG kStreamSize = 1ull << 30;
constexpr int kPages = 1000;

void MakeBigFile(const QString& path) {
    MakeCompoundFile(path, {{QStringLiteral("Big"), QByteArray()}});
    IStorage* root = nullptr;
    StgOpenStorage(Wide(path).c_str(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                   &root);
    IStream* stream = nullptr;
    root->OpenStream(u"Big", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stream);
    QByteArray chunk(1 << 20, '\0');
    for (int i = 0; i < chunk.size(); ++i)
        chunk[i] = static_cast<char>(i * 7);
    for (ULONGLONG written = 0; written < kStreamSize; written += chunk.size())
        stream->Write(chunk.constData(), chunk.size(), nullptr);
    stream->Release();
    root->Commit(STGC_DEFAULT);
    root->Release();
}

} // namespace

int main(int argc, char** argv) {
    OffscreenApplication application(argc, argv);
    QTemporaryDir profile;
    QTemporaryDir files;
    UseScratchProfile(profile);
    const QString path = files.filePath(QStringLiteral("big.cfb"));
    MakeBigFile(path);
    KestrinFixture fixture;
    fixture.Frame()->show();
    CKestrinDoc* doc = fixture.Open(path);
    CStgTreeView* tree = TreeOf(doc);
    tree->setCurrentItem(Child(tree->GetRootItem(), QStringLiteral("Big")));
    auto* view = doc->GetView<CKestrinView>();
    std::mt19937_64 random(20261207);
    std::vector<std::pair<ULONGLONG, double>> pages;
    std::vector<double> updates;
    // One page first, so that fonts and caches are warm as they are after the first page.
    view->viewport()->grab();
    for (int i = 0; i < kPages; ++i) {
        const ULONGLONG offset = random() % kStreamSize / 256 * 256;
        QElapsedTimer timer;
        timer.start();
        doc->SetPageOffset(offset);
        doc->UpdateAllViews(nullptr);
        updates.push_back(timer.nsecsElapsed() / 1e6);
        // Renders the viewport as it paints itself (offscreen, repaint() alone may skip it).
        const QPixmap page = view->viewport()->grab();
        pages.emplace_back(offset, timer.nsecsElapsed() / 1e6);
    }
    if (!view->viewport()->isVisible() || !view->IsHexMode())
        return std::puts("the page view does not show the stream"), 1;
    std::printf("last page shown: %s\n", view->GetGrid()->GetCellText(1, 0).toLatin1().constData());
    std::vector<double> all;
    std::vector<double> low;
    std::vector<double> high;
    for (const auto& [offset, ms] : pages) {
        all.push_back(ms);
        (offset < kStreamSize / 2 ? low : high).push_back(ms);
    }
    std::vector<double> sorted = all;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%d pages of a 1 GiB stream: median %.3f ms, 99th percentile %.3f ms, worst "
                "%.3f ms; median below 512 MiB %.3f ms, above %.3f ms\n",
                kPages, Median(all), sorted[sorted.size() * 99 / 100], sorted.back(), Median(low),
                Median(high));
    std::printf("of which the update (reading the page, setting the cells): median %.3f ms\n",
                Median(updates));
    return 0;
}
