// The page view in a compound-file window, used as a user does: a stream's pages with their
// offsets, bytes and text column, a byte typed over and two lines pasted, saved and read
// back by olefile; a storage's elements in the list; the hex page printed to PDF.
#include <QClipboard>
#include <QPrinter>

#include "doc_test_support.h"
#include "element_list_ctrl.h"
#include "kestrin_view.h"
#include "platform_setup.h"
#include "print_dialog.h"
#include "resource_ids.h"

namespace {

// Prints to a PDF file instead of asking.
class PdfPrintDialog final : public PrintDialogPresenter {
public:
    explicit PdfPrintDialog(QString path)
        : m_path(std::move(path)), m_before(SetPrintDialogPresenter(this)) {}
    ~PdfPrintDialog() override { SetPrintDialogPresenter(m_before); }
    bool Exec(QPrinter* printer, QWidget*) override {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(m_path);
        return true;
    }

private:
    QString m_path;
    PrintDialogPresenter* m_before;
};

QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("failed: ") + process.readAllStandardError();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QPoint CellPoint(int row, int col) {
    return {124 + 19 * (col - 1) + 9, 17 * row + 9};
}

} // namespace

class KestrinViewTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;
    CStgTreeView* m_tree = nullptr;
    CKestrinView* m_view = nullptr;

    void Select(const QString& name) {
        m_tree->setCurrentItem(name.isEmpty() ? m_tree->GetRootItem()
                                              : Child(m_tree->GetRootItem(), name));
    }
    QString Text(int row, int col) const { return m_view->GetGrid()->GetCellText(row, col); }
    void Page(UINT command) { QVERIFY(m_fixture->Frame()->SendCommand(command)); }
    void SaveArtefact(const QString& name) {
        QDir().mkpath(QStringLiteral(KESTRIN_ARTEFACT_DIR));
        m_view->grab().save(QStringLiteral(KESTRIN_ARTEFACT_DIR "/%1.png").arg(name));
    }

private slots:
    void initTestCase() {
        UseScratchProfile(m_profile);
        MapJapaneseFonts();
    }
    void init() { m_fixture = std::make_unique<KestrinFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void pagesEditsAndList() {
        QByteArray data(300, 'z');
        data.replace(0, 10, QByteArray::fromHex("0a7f8082a041f012f040"));
        const QString path = m_files.filePath(QStringLiteral("page.cfb"));
        MakeCompoundFile(path, {{QStringLiteral("Data"), data},
                                {QStringLiteral("Empty"), QByteArray()},
                                {QStringLiteral("Sub"), std::nullopt},
                                {QStringLiteral("Sub/Big"), QByteArray(1234567, 'x')}});
        m_fixture->Frame()->show();
        m_fixture->Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_fixture->Frame()));
        CKestrinDoc* doc = m_fixture->Open(path);
        m_tree = TreeOf(doc);
        m_view = doc->GetView<CKestrinView>();
        QVERIFY(m_view);

        // The first page: a control byte, DEL, a byte that starts no character (all three
        // shown as the middle dot), a two-byte character, a lead byte before a control byte
        // and a user-defined character (dots too).
        Select(QStringLiteral("Data"));
        QVERIFY(m_view->IsHexMode());
        QCOMPARE(Text(1, 0), QStringLiteral("00000000 00000000"));
        QCOMPARE(Text(1, 1), QStringLiteral("0A"));
        QCOMPARE(Text(1, 3), QStringLiteral("80"));
        QCOMPARE(Text(1, 17),
                 QString::fromUtf16(u"\uFF65\uFF65\uFF65あA\uFF65\uFF65\uFF65\uFF65zzzzzz"));
        QCOMPARE(Text(16, 0), QStringLiteral("00000000 000000F0"));
        SaveArtefact(QStringLiteral("hex_page"));

        // The short last page: 44 bytes.
        Page(ID_PAGE_LAST);
        QCOMPARE(doc->GetPageOffset(), 256u);
        QCOMPARE(Text(1, 0), QStringLiteral("00000000 00000100"));
        QCOMPARE(Text(3, 12), QStringLiteral("7A"));
        QCOMPARE(Text(3, 13), QString());
        QCOMPARE(Text(3, 17), QStringLiteral("zzzzzzzzzzzz    "));
        QCOMPARE(Text(16, 0), QStringLiteral("00000000 000001F0"));
        Page(ID_PAGE_FIRST);
        QCOMPARE(Text(1, 1), QStringLiteral("0A"));

        Select(QStringLiteral("Empty"));
        QCOMPARE(Text(1, 1), QString());
        QCOMPARE(Text(1, 17), QString(16, u' '));
        QCOMPARE(Text(16, 0), QStringLiteral("00000000 000000F0"));

        // A byte typed over: row 2, column 3 is offset 18.
        Select(QStringLiteral("Data"));
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, CellPoint(2, 3));
        auto* editor = dynamic_cast<QWidget*>(m_view->GetGrid()->GetEditor());
        QCOMPARE(QApplication::focusWidget(), editor);
        QTest::keyClicks(editor, QStringLiteral("4f"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(doc->IsModified());
        QCOMPARE(Text(2, 3), QStringLiteral("4F"));
        QCOMPARE(m_view->GetGrid()->GetCurCol(), 4);
        data[18] = 0x4F;

        // Ctrl+V in the editor pastes cells: two lines land on two rows from the current
        // cell on; a field that is no number writes 0.
        QApplication::clipboard()->setText(QStringLiteral("01\t02\r\nx3\t04\r\n"));
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        data.replace(19, 2, QByteArray("\x01\x02", 2));
        data.replace(35, 2, QByteArray("\x00\x04", 2));
        QCOMPARE(CurrentStreamBytes(doc), data);

        QVERIFY(doc->OnSaveDocument(path));
        const QString read =
            RunTool(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-c"),
                     QStringLiteral("import olefile,sys;print(olefile.OleFileIO(sys.argv[1])"
                                    ".openstream('Data').read().hex())"),
                     path});
        QCOMPARE(read.trimmed(), QString::fromLatin1(data.toHex()));

        // Printed: the offsets and bytes are text on the page.
        const QString pdf = m_files.filePath(QStringLiteral("page.pdf"));
        PdfPrintDialog printDialog(pdf);
        Page(ID_FILE_PRINT);
        const QString printed = RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY2(printed.contains(QStringLiteral("00000000 000000F0")), qPrintable(printed));
        QVERIFY2(printed.contains(QStringLiteral("4F")), qPrintable(printed));

        // A storage shows its elements; paging is off there.
        Select(QStringLiteral("Sub"));
        QVERIFY(!m_view->IsHexMode());
        CElementListCtrl* list = m_view->GetListCtrl();
        QCOMPARE(list->GetItemCount(), 1);
        QCOMPARE(list->GetItemText(0, 1), QStringLiteral("1234567"));
        SaveArtefact(QStringLiteral("element_list"));
        Page(ID_VIEW_LARGEICON);
        QCOMPARE(m_view->GetListStyle(), LVS_ICON);
        QVERIFY(!m_fixture->Frame()->SendCommand(ID_PAGE_NEXT));
    }
};

QTEST_MAIN(KestrinViewTest)
#include "kestrin_view_test.moc"
