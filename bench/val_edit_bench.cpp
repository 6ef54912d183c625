// The typed value view over a 1 MiB stream: an update of a layout of 10,000 variables of
// mixed kinds (base values, text, collapsed structs and arrays) spread over the stream, and the
// expansion of an array of 100,000 int (the rows made and every value read). Prints medians
// of 5 runs and the memory the expansion took (resident set before and after, and the peak).
// Not a test: run it by hand.
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "doc_test_support.h"
#include "strm_def.h"
#include "type_def.h"
#include "val_def.h"
#include "val_edit_view.h"

namespace {

constexpr int kVariables = 10000;
constexpr int kElements = 100000;
constexpr int kRuns = 5;

// A line of /proc/self/status in MiB: VmRSS now, VmHWM the peak.
double StatusMiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stod(line.substr(line.find(':') + 1)) / 1024.0;
    return 0;
}

std::unique_ptr<CValDef> Var(CTypeDef* type, int count = 0) {
    auto variable = std::make_unique<CValDef>();
    variable->SetType(type);
    variable->m_strName = "v";
    variable->m_bArray = count != 0;
    variable->m_nCount = count;
    return variable;
}

double Ms(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    OffscreenApplication application(argc, argv);
    QTemporaryDir profile;
    QTemporaryDir files;
    UseScratchProfile(profile);
    const QString path = files.filePath(QStringLiteral("values.cfb"));
    QByteArray bytes(1 << 20, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0x20 + i % 90);
    MakeCompoundFile(path, {{QStringLiteral("Big"), bytes}});
    KestrinFixture fixture;
    CKestrinDoc* doc = fixture.Open(path);
    CStgTreeView* tree = TreeOf(doc);
    tree->setCurrentItem(Child(tree->GetRootItem(), QStringLiteral("Big")));

    CStrmDef def;
    def.m_aTypes.push_back(std::make_unique<CTypeDef>("S", 19, KIND_STRUCT));
    CTypeDef* s = def.m_aTypes.back().get();
    s->m_aMember.push_back(Var(def.m_aTypes[0].get()));
    s->m_aMember.push_back(Var(def.m_aTypes[7].get(), 24));
    auto* view = new CValEditView;
    view->resize(600, 400);
    doc->AddView(view);

    QElapsedTimer timer;
    view->AddRow(Var(def.m_aTypes[0].get(), kElements));
    std::vector<double> expansions;
    std::vector<double> collapses;
    // The memory of the first expansion, before the allocator has pages to reuse.
    const double rssBefore = StatusMiB("VmRSS");
    double rssAfter = 0;
    for (int run = 0; run < kRuns; ++run) {
        timer.restart();
        view->OnBitmapClick(1, 0);
        expansions.push_back(Ms(timer));
        if (run == 0)
            rssAfter = StatusMiB("VmRSS");
        if (view->GetRowCount() != kElements + 1)
            return std::puts("the array did not expand"), 1;
        timer.restart();
        view->OnBitmapClick(1, 0);
        collapses.push_back(Ms(timer));
    }
    std::printf("array of %d int: expansion median %.1f ms, collapse median %.1f ms; resident "
                "%.1f MiB before, %.1f MiB expanded (+%.1f MiB), peak %.1f MiB\n",
                kElements, Median(expansions), Median(collapses), rssBefore, rssAfter,
                rssAfter - rssBefore, StatusMiB("VmHWM"));
    view->ClearRows(true);

    // int, double, char[200], S, short[100]: 88 bytes on average, 880,000 bytes in all.
    timer.restart();
    const std::pair<CTypeDef*, int> kinds[] = {{def.m_aTypes[0].get(), 0},
                                               {def.m_aTypes[5].get(), 0},
                                               {def.m_aTypes[7].get(), 200},
                                               {s, 0},
                                               {def.m_aTypes[9].get(), 100}};
    for (int i = 0; i < kVariables; ++i)
        view->AddRow(Var(kinds[i % 5].first, kinds[i % 5].second));
    const double adding = Ms(timer);
    std::vector<double> updates;
    for (int run = 0; run < kRuns; ++run) {
        timer.restart();
        view->OnUpdate(nullptr, 0, nullptr);
        updates.push_back(Ms(timer));
    }
    const QString last = view->GetGrid()->GetCellText(kVariables, 2);
    std::printf("%d variables over 1 MiB: adding the rows %.1f ms, update median %.1f ms "
                "(last position %s)\n",
                kVariables, adding, Median(updates), last.toLatin1().constData());

    view->ClearRows(true);
    delete view;
    return 0;
}
