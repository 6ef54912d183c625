// The element list filled from a compound file the engine writes: order, texts at their
// boundaries, images, escaped names; the four list styles and renderings of three of them.
#include <QDir>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "element_list_ctrl.h"
#include "element_list_images.h"
#include "platform_setup.h"
#include "recording_message_box.h"
#include "storage_api.h"

namespace {

std::u16string Wide(const QString& text) {
    return text.toStdU16String();
}

constexpr DWORD kMode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
// 2024-02-29 13:45:07 UTC, shown in the test's time zone nine hours later.
constexpr FILETIME kLeapDay = {2170663808u, 31091477u};
const QString kSummary = QStringLiteral("\x05SummaryInformation");

void AddStream(IStorage* root, const QString& name, quint64 size) {
    IStream* stream = nullptr;
    QCOMPARE(root->CreateStream(Wide(name).c_str(), kMode, 0, 0, &stream), S_OK);
    ULARGE_INTEGER bytes{};
    bytes.QuadPart = size;
    QCOMPARE(stream->SetSize(bytes), S_OK);
    stream->Release();
}

void AddStorage(IStorage* root, const QString& name, const FILETIME& mtime) {
    IStorage* storage = nullptr;
    QCOMPARE(root->CreateStorage(Wide(name).c_str(), kMode, 0, 0, &storage), S_OK);
    AddStream(storage, QStringLiteral("Inner"), 1); // children are not listed
    storage->Release();
    QCOMPARE(root->SetElementTimes(Wide(name).c_str(), nullptr, nullptr, &mtime), S_OK);
}

// Storages and streams in mixed case, made out of order.
void MakeSample(const QString& path) {
    IStorage* root = nullptr;
    QCOMPARE(StgCreateDocfile(Wide(path).c_str(), kMode, 0, &root), S_OK);
    AddStream(root, QStringLiteral("Zeta"), 1234567);
    AddStorage(root, QStringLiteral("beta"), kLeapDay);
    AddStream(root, kSummary, 0);
    AddStorage(root, QStringLiteral("Alpha"), FILETIME{});
    AddStream(root, QStringLiteral("mid"), 1);
    QCOMPARE(root->Commit(STGC_DEFAULT), S_OK);
    root->Release();
}

IStorage* OpenSample(const QString& path) {
    IStorage* root = nullptr;
    [&] {
        QCOMPARE(StgOpenStorage(Wide(path).c_str(), nullptr,
                                STGM_TRANSACTED | STGM_SHARE_DENY_WRITE | STGM_READWRITE, nullptr,
                                0, &root),
                 S_OK);
    }();
    return root;
}

} // namespace

class ElementListTest : public QObject {
    Q_OBJECT

    RecordingMessageBox m_boxes;
    QTemporaryDir m_dir;
    std::unique_ptr<CElementListCtrl> m_list; // made once the fonts are mapped, as in the program

private slots:
    void initTestCase() {
        MapJapaneseFonts();
        m_list = std::make_unique<CElementListCtrl>();
        const QString path = m_dir.filePath(QStringLiteral("sample.cfb"));
        MakeSample(path);
        IStorage* root = OpenSample(path);
        QVERIFY(root);
        m_list->Fill(root);
        root->Release();
        QCOMPARE(m_boxes.texts, QStringList());
        m_list->resize(460, 150);
        m_list->show();
    }

    void fill() {
        struct Row {
            QString name, size, time;
            int image;
        };
        const std::vector<Row> rows = {
            {QStringLiteral("Alpha"), QStringLiteral("-"), QStringLiteral("-"), 0},
            {QStringLiteral("beta"), QStringLiteral("-"), QStringLiteral("2024/02/29 22:45:07"), 0},
            {kSummary, QStringLiteral("0"), QStringLiteral("-"), 1},
            {QStringLiteral("mid"), QStringLiteral("1"), QStringLiteral("-"), 1},
            {QStringLiteral("Zeta"), QStringLiteral("1234567"), QStringLiteral("-"), 1},
        };
        QCOMPARE(m_list->GetItemCount(), int(rows.size()));
        const QAbstractItemModel* model = m_list->GetCurrentView()->model();
        for (int i = 0; i < int(rows.size()); ++i) {
            QCOMPARE(m_list->GetItemText(i, 0), rows[i].name);
            QCOMPARE(m_list->GetItemText(i, 1), rows[i].size);
            QCOMPARE(m_list->GetItemText(i, 2), rows[i].time);
            QCOMPARE(model->index(i, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
                     ElementListImage(rows[i].image).cacheKey());
        }
        QCOMPARE(model->index(2, 0).data().toString(), QStringLiteral("\\x05SummaryInformation"));
        QCOMPARE(m_list->GetItemText(5, 0), QString());
        QCOMPARE(m_list->GetItemText(0, 3), QString());
    }

    void styles_data() {
        QTest::addColumn<DWORD>("style");
        QTest::addColumn<DWORD>("shown");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("artefact");
        QTest::newRow("large") << DWORD(LVS_ICON) << DWORD(LVS_ICON) << 32 << "large_icons";
        QTest::newRow("small") << DWORD(LVS_SMALLICON) << DWORD(LVS_SMALLICON) << 16
                               << "small_icons";
        QTest::newRow("list") << DWORD(3) << DWORD(3) << 16 << QString();
        QTest::newRow("details, other bits ignored")
            << DWORD(0x8000 | LVS_REPORT) << DWORD(LVS_REPORT) << 16 << "details";
    }

    void styles() {
        QFETCH(DWORD, style);
        QFETCH(DWORD, shown);
        QFETCH(int, icon);
        QFETCH(QString, artefact);
        m_list->GetCurrentView()->selectionModel()->select(
            m_list->GetCurrentView()->model()->index(4, 0), QItemSelectionModel::ClearAndSelect);
        m_list->SetListStyle(style);
        QCOMPARE(m_list->GetListStyle(), shown);
        QAbstractItemView* view = m_list->GetCurrentView();
        QCOMPARE(m_list->currentWidget(), view);
        QCOMPARE(view->iconSize(), QSize(icon, icon));
        QCOMPARE(view->model()->rowCount(), 5);
        QVERIFY(view->selectionModel()->isSelected(view->model()->index(4, 0))); // kept
        auto* icons = qobject_cast<QListView*>(view);
        QCOMPARE(icons != nullptr, shown != LVS_REPORT);
        if (icons)
            QCOMPARE(icons->flow(), shown == 3 ? QListView::TopToBottom : QListView::LeftToRight);
        QTest::qWait(50); // the icon views lay out in batches
        if (!artefact.isEmpty()) {
            QDir().mkpath(QStringLiteral(KESTRIN_ARTEFACT_DIR));
            QVERIFY(m_list->grab().save(
                QStringLiteral(KESTRIN_ARTEFACT_DIR "/element_list_%1.png").arg(artefact)));
        }
    }

    void emptyAfterNoStorage() {
        m_list->Fill(nullptr);
        QCOMPARE(m_list->GetItemCount(), 0);
    }
};

int main(int argc, char** argv) {
    qputenv("TZ", "JST-9"); // times are shown in local time
    QApplication app(argc, argv);
    ElementListTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "element_list_test.moc"
