// The stream layout editor driven through its controls as a user drives it, with renderings
// left for a person.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "platform_setup.h"
#include "recording_message_box.h"
#include "stream_view.h"
#include "strmdef_builders.h"
#include "strmdef_doc.h"
#include "strmdef_ids.h"
#include "strmdef_messages.h"

using namespace Qt::StringLiterals;

class StreamViewTest : public QObject {
    Q_OBJECT

private:
    CStrmDefDoc m_doc;
    std::unique_ptr<CStreamView> m_view; // goes before the document
    RecordingMessageBox m_boxes;

    template <class T = QWidget> T* Item(UINT id) {
        return static_cast<T*>(m_view->GetDlgItem(id));
    }
    void Click(UINT id) { QTest::mouseClick(Item(id), Qt::LeftButton); }
    // On the box itself: a check box takes clicks on its box and text only.
    void Check(UINT id) {
        QTest::mouseClick(Item(id), Qt::LeftButton, {}, QPoint(6, Item(id)->height() / 2));
    }
    void Type(UINT id, const QString& text) {
        Item<QLineEdit>(id)->clear();
        // Japanese comes from the input method, which commits whole strings.
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(Item(id), &commit);
    }
    void ClickLine(int line) {
        auto* list = Item<QListWidget>(IDC_STREAM_LIST);
        const QRect rect = list->visualItemRect(list->item(line));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QStringList Lines() {
        QStringList lines;
        for (int line = 0; line < Item<QListWidget>(IDC_STREAM_LIST)->count(); ++line)
            lines << Item<QListWidget>(IDC_STREAM_LIST)->item(line)->text();
        return lines;
    }
    // The layout as declarations with their counts.
    QStringList Layout() {
        QStringList texts;
        for (const auto& variable : m_doc.GetLayout())
            texts << QString::fromLatin1(variable->GetType()->m_strName +
                                         (variable->m_bPointer ? "* " : " ") + variable->m_strName +
                                         '[' + QByteArray::number(variable->m_nCount) + ']');
        return texts;
    }

private slots:
    void initTestCase() {
        MapJapaneseFonts();
        m_doc.m_bAutoDelete = false;
        m_view = std::make_unique<CStreamView>();
        m_doc.AddView(m_view.get());
        m_view->OnInitialUpdate();
        m_view->resize(560, 150);
        m_view->show();
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        auto type = std::make_unique<CTypeDef>("S", 19, KIND_STRUCT);
        Member(type.get(), m_doc.GetTypes()[0].get(), "a");
        m_doc.AddType(nullptr, std::move(type)); // reaches the type box
    }

    // Building a layout line by line: append, update, insert, move, delete, copy.
    void session() {
        QList<UINT> tabOrder;
        for (QWidget* w = Item(IDC_STREAM_TYPE); tabOrder.size() < 14; w = w->nextInFocusChain())
            if (w->parentWidget() == m_view->GetForm() && (w->focusPolicy() & Qt::TabFocus))
                tabOrder << w->objectName().toUInt();
        QCOMPARE(tabOrder, QList<UINT>({1016, 1026, 1017, 1024, 1025, 1027, 1019, 1022, 1030, 1021,
                                        1028, 1029, 1023, 1020}));
        auto* type = Item<QComboBox>(IDC_STREAM_TYPE);
        QTest::keyClick(type, Qt::Key_Home); // int
        Type(IDC_STREAM_NAME, "count");
        Click(IDC_STREAM_ADD);
        QTest::keyClick(type, Qt::Key_End); // S
        Check(IDC_STREAM_ARRAY);
        Type(IDC_STREAM_SIZE, "4");
        Type(IDC_STREAM_NAME, "items");
        Type(IDC_STREAM_COMMENT, u"四つ"_s);
        Click(IDC_STREAM_ADD);
        QCOMPARE(Lines(), QStringList({"int\tcount;", u"S\titems[4];\t四つ"_s}));
        QCOMPARE(type->currentIndex(), -1); // an append empties the inputs
        QVERIFY(!Item(IDC_STREAM_SIZE)->isEnabled());
        m_doc.SetModifiedFlag(false);
        ClickLine(0);
        QCOMPARE(Item<QPushButton>(IDC_STREAM_ADD)->text(), u"更新"_s);
        QCOMPARE(QApplication::focusWidget(), type);
        Click(IDC_STREAM_ADD); // unchanged, still a change; the next line comes up
        QVERIFY(m_doc.IsModified());
        QCOMPARE(Item<QLineEdit>(IDC_STREAM_SIZE)->text(), "4");
        Type(IDC_STREAM_NAME, "head");
        Check(IDC_STREAM_ARRAY);
        Check(IDC_STREAM_POINTER);
        Click(IDC_STREAM_INSERT);
        QCOMPARE(Layout(), QStringList({"int count[0]", "S* head[0]", "S items[4]"}));
        Click(IDC_STREAM_DOWN);
        QVERIFY(!Item(IDC_STREAM_DOWN)->isEnabled()); // last
        Click(IDC_STREAM_UP);
        Click(IDC_STREAM_UP);
        QVERIFY(!Item(IDC_STREAM_UP)->isEnabled()); // first
        QCOMPARE(Layout(), QStringList({"S* head[0]", "int count[0]", "S items[4]"}));
        Click(IDC_STREAM_DELETE); // the next line comes up
        QCOMPARE(Item<QLineEdit>(IDC_STREAM_NAME)->text(), "count");
        ClickLine(1);
        Click(IDC_STREAM_COPY);
        Type(IDC_STREAM_NAME, "more");
        Click(IDC_STREAM_ADD);
        QCOMPARE(Layout(), QStringList({"int count[0]", "S items[4]", "S more[4]"}));
        QCOMPARE(Lines().last(), u"S\tmore[4];\t四つ"_s);
        QCOMPARE(m_doc.GetTypes()[19]->GetRefCount(), 2);
        QVERIFY(m_boxes.texts.isEmpty());
        ClickLine(2); // the rendering shows a line loaded for update
        QDir().mkpath(QStringLiteral(KESTRIN_ARTEFACT_DIR));
        for (const QSize size : {QSize(560, 150), QSize(200, 50)}) {
            m_view->resize(size);
            QCoreApplication::processEvents();
            QVERIFY(
                m_view->grab().save(QStringLiteral(KESTRIN_ARTEFACT_DIR "/stream_view_%1x%2.png")
                                        .arg(size.width())
                                        .arg(size.height())));
        }
    }

    // What the inputs refuse, with the input to correct focused, and the sizes they take.
    void validation() {
        struct Case {
            int type;
            QString name, size; // an empty size is an array of none
            const char16_t* message;
            UINT focus;
            QByteArray result; // count or size name
        };
        const Case cases[] = {
            {-1, "x", {}, kMsgNoTypeChosen, IDC_STREAM_TYPE, {}},
            {0, "x", "  ", kMsgNoArraySize, IDC_STREAM_SIZE, {}},
            {0, "x", "12abc", kMsgBadArraySize, IDC_STREAM_SIZE, {}},
            {0, "x", "2147483648", kMsgBadArraySize, IDC_STREAM_SIZE, {}},
            {0, u"😀"_s, {}, kMsgNotShiftJis, IDC_STREAM_NAME, {}},
            {0, "x", " 12 ", nullptr, 0, "12"},
            {0, "x", "2147483647", nullptr, 0, "2147483647"},
            {19, "x", "N ", nullptr, 0, "N"},
        };
        for (const Case& c : cases) {
            Click(IDC_STREAM_NEW);
            Item<QComboBox>(IDC_STREAM_TYPE)->setCurrentIndex(c.type);
            Type(IDC_STREAM_NAME, c.name);
            Item<QCheckBox>(IDC_STREAM_ARRAY)->setChecked(!c.size.isNull());
            Type(IDC_STREAM_SIZE, c.size);
            const size_t before = m_doc.GetLayout().size();
            m_boxes.texts.clear();
            Click(IDC_STREAM_ADD);
            QCOMPARE(m_boxes.texts,
                     c.message ? QStringList{QString::fromUtf16(c.message)} : QStringList{});
            if (c.message) {
                QCOMPARE(m_doc.GetLayout().size(), before);
                QCOMPARE(QApplication::focusWidget(), Item(c.focus));
            } else {
                const CValDef& added = *m_doc.GetLayout().back();
                QCOMPARE(added.m_bCountByName ? added.m_strCountName
                                              : QByteArray::number(added.m_nCount),
                         c.result);
            }
        }
    }

    // The type box follows the type list and the chosen entry stays on its type.
    void typeBox() {
        auto* type = Item<QComboBox>(IDC_STREAM_TYPE);
        m_doc.AddType(nullptr, std::make_unique<CTypeDef>("T", 20, KIND_STRUCT));
        type->setCurrentIndex(20);
        m_doc.MoveTypeUp(nullptr, m_doc.GetTypes()[20].get());
        QCOMPARE(type->itemText(19), "T");
        QCOMPARE(type->itemText(20), "S");
        QCOMPARE(type->currentIndex(), 19);
        int refs = 0;
        QCOMPARE(m_doc.DeleteType(nullptr, 19, refs), DELETE_TYPE_DONE);
        QCOMPARE(type->count(), 20);
        QCOMPARE(type->currentIndex(), -1);
    }

    // A second window on the document shows the lines another one changed once it is active.
    void secondWindow() {
        CStreamView other;
        m_doc.AddView(&other);
        other.OnInitialUpdate();
        ClickLine(0);
        Click(IDC_STREAM_DELETE);
        other.OnActivateView(true, &other, m_view.get());
        auto* list = static_cast<QListWidget*>(other.GetDlgItem(IDC_STREAM_LIST));
        QCOMPARE(list->count(), int(m_doc.GetLayout().size()));
        QCOMPARE(list->item(0)->text(), Lines().front());
    }
};

QTEST_MAIN(StreamViewTest)
#include "stream_view_test.moc"
