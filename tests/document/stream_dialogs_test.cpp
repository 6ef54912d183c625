// The stream commands with their dialogs, filled in as a user does: the size shown three
// ways and followed as it is typed, a smaller size confirmed, one byte written inside and
// past the end, a position the file cannot hold refused with the file unchanged, and going
// to a position.
#include <QLineEdit>
#include <QRadioButton>
#include <functional>

#include "byte_edit_dlg.h"
#include "doc_test_support.h"
#include "goto_position_dlg.h"
#include "kestrin_view.h"
#include "modal_dialog.h"
#include "recording_progress.h"
#include "resource_ids.h"
#include "stream_size_dlg.h"

namespace {

// Runs each dialog through a script instead of showing it.
class ScriptedDialogs final : public ModalDialogRunner {
public:
    ScriptedDialogs() : m_before(SetModalDialogRunner(this)) {}
    ~ScriptedDialogs() override { SetModalDialogRunner(m_before); }
    int Exec(QDialog& dialog) override {
        dialog.setResult(QDialog::Rejected);
        script(dialog);
        return dialog.result();
    }
    std::function<void(QDialog&)> script;

private:
    ModalDialogRunner* m_before;
};

void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

} // namespace

class StreamDialogsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;

    bool Send(UINT command) { return m_fixture->Frame()->SendCommand(command); }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() { m_fixture = std::make_unique<KestrinFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void resizeAndOneByteEdit() {
        const QString path = m_files.filePath(QStringLiteral("sizes.cfb"));
        MakeCompoundFile(path, {{QStringLiteral("Big"), QByteArray(1572864, 'b')},
                                {QStringLiteral("Small"), QByteArray(16, 's')}});
        const QByteArray before = ReadFile(path);
        m_fixture->Frame()->show();
        CKestrinDoc* doc = m_fixture->Open(path);
        CStgTreeView* tree = TreeOf(doc);
        tree->setCurrentItem(tree->GetRootItem());
        QVERIFY(!Send(ID_STREAM_RESIZE));
        tree->setCurrentItem(Child(tree->GetRootItem(), QStringLiteral("Big")));

        ScriptedDialogs dialogs;
        RecordingMessageBox boxes;
        // The size three ways; the fields follow what is typed; a smaller size asks, and No
        // keeps the dialog open.
        dialogs.script = [&](QDialog& shown) {
            auto& dialog = dynamic_cast<CStreamSizeDlg&>(shown);
            QCOMPARE(dialog.GetNewDecimalEdit()->text(), QStringLiteral("1572864"));
            QCOMPARE(dialog.GetCurrentHexEdit()->text(), QStringLiteral("0000000000180000"));
            QCOMPARE(dialog.GetNewMegabyteEdit()->text(), QStringLiteral("1.500000"));
            Type(dialog.GetNewDecimalEdit(), QStringLiteral("100"));
            QCOMPARE(dialog.GetNewHexEdit()->text(), QStringLiteral("0000000000000064"));
            QCOMPARE(dialog.GetNewMegabyteEdit()->text(), QStringLiteral("0.000095"));
            Type(dialog.GetNewHexEdit(), QStringLiteral("1G"));
            QCOMPARE(dialog.GetNewHexEdit()->text(), QStringLiteral("1"));
            QCOMPARE(dialog.GetNewDecimalEdit()->text(), QStringLiteral("1"));
            boxes.answers = {IDNO, IDYES};
            dialog.accept();
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            Type(dialog.GetNewHexEdit(), QStringLiteral("a"));
            dialog.accept();
        };
        QVERIFY(Send(ID_STREAM_RESIZE));
        QCOMPARE(boxes.texts.size(), 2);
        QCOMPARE(CurrentStreamBytes(doc), QByteArray(10, 'b'));
        QVERIFY(doc->IsModified());

        // One byte: inside the stream at once; at its end only after a question.
        tree->setCurrentItem(Child(tree->GetRootItem(), QStringLiteral("Small")));
        const auto writeByte = [&](const QString& position, const QString& value) {
            dialogs.script = [&, position, value](QDialog& shown) {
                auto& dialog = dynamic_cast<CByteEditDlg&>(shown);
                QCOMPARE(dialog.GetPositionEdit()->text(), QStringLiteral("0"));
                Type(dialog.GetPositionEdit(), position);
                Type(dialog.GetValueEdit(), value);
                dialog.accept();
            };
            QVERIFY(Send(ID_BYTE_EDIT));
        };
        boxes.texts.clear();
        writeByte(QStringLiteral("F"), QStringLiteral("a"));
        QVERIFY(boxes.texts.isEmpty());
        boxes.answers = {IDYES};
        writeByte(QStringLiteral("10"), QString());
        QCOMPARE(boxes.texts.value(0),
                 QString::fromUtf16(u"位置(00000000 00000010)がサイズ(00000000 00000010)を超えて"
                                    u"います。\nそのまま書きこみますか？"));
        QCOMPARE(CurrentStreamBytes(doc), QByteArray(15, 's') + QByteArray("\x0A\x00", 2));

        // A version-3 file cannot hold a stream that long: refused, nothing written.
        boxes.texts.clear();
        boxes.answers = {IDYES};
        writeByte(QStringLiteral("1FFFFFFFF"), QStringLiteral("1"));
        QCOMPARE(boxes.texts.size(), 2);
        QCOMPARE(CurrentStreamBytes(doc).size(), 17);
        // Growing by megabytes shows a progress; a cancel keeps the old size, unreported.
        {
            boxes.texts.clear();
            boxes.answers = {IDYES};
            RecordingProgress progress;
            progress.cancelAt = 1;
            writeByte(QStringLiteral("4000000"), QStringLiteral("1"));
            QCOMPARE(progress.labels,
                     QStringList{QString::fromUtf16(u"ストリームを拡張しています...")});
            QCOMPARE(boxes.texts.size(), 1);
            QCOMPARE(CurrentStreamBytes(doc).size(), 17);
        }

        // Going to a position on a 1 GiB stream: past the end is refused; in decimal,
        // 1073741822 (3FFFFFFE) is the next-to-last byte of the last page.
        boxes.texts.clear();
        QVERIFY(tree->ResizeCurrentStream(ULARGE_INTEGER{{1u << 30}}));
        dialogs.script = [&](QDialog& shown) {
            auto& dialog = dynamic_cast<CGotoPositionDlg&>(shown);
            Type(dialog.GetPositionEdit(), QStringLiteral("40000000"));
            dialog.accept();
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            dialog.GetDecimalButton()->setChecked(true);
            Type(dialog.GetPositionEdit(), QStringLiteral("1073741822x"));
            QCOMPARE(dialog.GetPositionEdit()->text(), QStringLiteral("1073741822"));
            dialog.accept();
        };
        QVERIFY(Send(ID_GOTO_POSITION));
        QCOMPARE(boxes.texts,
                 QStringList{QString::fromUtf16(u"位置がストリームのサイズを超えています。")});
        QCOMPARE(doc->GetPageOffset(), ULONGLONG(0x3FFFFF00));
        CGrid* grid = doc->GetView<CKestrinView>()->GetGrid();
        QCOMPARE(grid->GetCurRow(), 16);
        QCOMPARE(grid->GetCurCol(), 15);
        QVERIFY(grid->IsSelectActive());
        doc->OnCloseDocument();
        QCOMPARE(ReadFile(path), before);
    }
};

QTEST_MAIN(StreamDialogsTest)
#include "stream_dialogs_test.moc"
