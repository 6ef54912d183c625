// The type editor of a stream-definition window, worked through its controls as a user works
// them: types built member by member and registered, the checks that refuse a member or a
// type, and the type list following adds, deletes and moves. Leaves a rendering for a person.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>

#include "doc_test_support.h"
#include "platform_setup.h"
#include "resource_ids.h"
#include "stream_view.h"
#include "strm_def_view.h"
#include "strm_lst_view.h"
#include "strmdef_doc.h"
#include "type_def.h"
#include "val_def.h"
#include "val_edit_view.h"

// One member as the inputs take it: type, name, array size (empty: no array), pointer.
struct MemberInput {
    MemberInput(const char* type, const char* name, const char* size = "", bool pointer = false)
        : type(type), name(name), size(size), pointer(pointer) {}
    QString type;
    QString name;
    QString size;
    bool pointer;
};

class TypeEditorTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<KestrinFixture> m_fixture;
    std::unique_ptr<RecordingMessageBox> m_box;
    CStrmDefDoc* m_doc = nullptr;
    CStrmDefView* m_view = nullptr;
    CStrmLstView* m_list = nullptr;

    template <class T> T* Control(int id) const {
        T* control = m_view->findChild<T*>(QString::number(id));
        Q_ASSERT(control);
        return control;
    }
    void Click(int id) { QTest::mouseClick(Control<QAbstractButton>(id), Qt::LeftButton); }
    void Type(int id, const QString& text) {
        Control<QLineEdit>(id)->clear();
        QTest::keyClicks(Control<QLineEdit>(id), text);
    }
    void Check(int id, bool on) {
        if (Control<QCheckBox>(id)->isChecked() != on)
            Click(id);
    }
    void Choose(const QString& type) {
        auto* combo = Control<QComboBox>(IDC_MEMBER_TYPE);
        combo->setCurrentIndex(combo->findText(type));
    }
    void Enter(const MemberInput& member) {
        if (!member.type.isEmpty())
            Choose(member.type);
        Check(IDC_POINTER, member.pointer);
        Type(IDC_MEMBER_NAME, member.name);
        Check(IDC_ARRAY, !member.size.isEmpty());
        if (!member.size.isEmpty())
            Type(IDC_ARRAY_SIZE, member.size);
    }
    // A new type: name, kind (IDC_KIND_DEFINE or IDC_KIND_STRUCT), members, registered.
    void Register(const QString& name, int kind, const QList<MemberInput>& members) {
        Load(QStringLiteral("int")); // an empty editor
        Type(IDC_TYPE_NAME, name);
        Click(kind);
        for (const MemberInput& member : members) {
            Enter(member);
            Click(IDC_ADD);
        }
        Click(IDC_REGISTER);
    }
    QStringList MemberLines() const {
        QStringList lines;
        for (int row = 0; row < Control<QListWidget>(IDC_MEMBERS)->count(); ++row)
            lines << Control<QListWidget>(IDC_MEMBERS)->item(row)->text();
        return lines;
    }
    void SelectMember(int row) {
        auto* list = Control<QListWidget>(IDC_MEMBERS);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    // The user types after the base types, as the list shows them.
    QStringList ListedUserTypes() const {
        QStringList names;
        for (int row = 20; row <= m_list->GetTypeRows(); ++row)
            names << m_list->GetGrid()->GetCellText(row, 0);
        return names;
    }
    QStringList ComboUserTypes() const {
        QStringList names;
        for (int i = 19; i < Control<QComboBox>(IDC_MEMBER_TYPE)->count(); ++i)
            names << Control<QComboBox>(IDC_MEMBER_TYPE)->itemText(i);
        return names;
    }
    // Loads the named type as a click on its row does, dropping what was not registered.
    void Load(const QString& name) {
        int row = 1;
        while (m_list->GetGrid()->GetCellText(row, 0) != name)
            ++row;
        m_list->OnScroll(1, SB_THUMBPOSITION,
                         qMax(0, m_list->GetGrid()->Cell(row, 0).m_rect.top - 40));
        const CRect rect = m_list->GetGrid()->ClientRect(row, 0);
        m_box->answers = {IDYES};
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left + 5, rect.top + 5));
        m_box->texts.clear();
        m_box->answers.clear();
    }

private slots:
    void initTestCase() {
        UseScratchProfile(m_dir);
        MapJapaneseFonts();
        m_fixture = std::make_unique<KestrinFixture>();
        m_box = std::make_unique<RecordingMessageBox>();
        m_doc = dynamic_cast<CStrmDefDoc*>(
            m_fixture->App()->GetDocTemplates()[1]->OpenDocumentFile(QString()));
        QVERIFY(m_doc);
        m_view = m_doc->GetView<CStrmDefView>();
        m_list = m_doc->GetView<CStrmLstView>();
        QVERIFY(m_view && m_list);
    }

    // struct S { int a; char b[12]; unsigned char c[N]; } through the controls, a selected
    // member updated in place; registered again under its name with S* next added.
    void buildAndRegisterStruct() {
        QVERIFY(!Control<QPushButton>(IDC_REGISTER)->isEnabled());
        Type(IDC_TYPE_NAME, QStringLiteral("S"));
        Click(IDC_KIND_STRUCT);
        for (const MemberInput& member : {MemberInput{"int", "x"}, MemberInput{"char", "b", " 12 "},
                                          MemberInput{"unsigned char", "c", "N"}}) {
            Enter(member);
            Click(IDC_ADD);
        }
        SelectMember(0);
        QCOMPARE(Control<QPushButton>(IDC_ADD)->text(), QStringLiteral("更新"));
        QCOMPARE(Control<QLineEdit>(IDC_MEMBER_NAME)->text(), QStringLiteral("x"));
        Type(IDC_MEMBER_NAME, QStringLiteral("a"));
        Click(IDC_ADD);
        QCOMPARE(Control<QLineEdit>(IDC_MEMBER_NAME)->text(), QStringLiteral("b"));
        QCOMPARE(MemberLines(), QStringList({"int\ta;", "char\tb[12];", "unsigned char\tc[N];"}));
        QVERIFY(Control<QPushButton>(IDC_REGISTER)->isEnabled());
        Click(IDC_REGISTER);
        QVERIFY(m_box->texts.isEmpty());
        QVERIFY(!Control<QPushButton>(IDC_REGISTER)->isEnabled());
        QVERIFY(m_doc->IsModified());
        QCOMPARE(ListedUserTypes(), QStringList({"S"}));
        Click(IDC_NEW);
        Enter({"S", "next", "", true});
        Click(IDC_ADD);
        Click(IDC_REGISTER);
        const CTypeDef& s = *m_doc->GetTypes().back();
        QCOMPARE(s.m_strName, QByteArray("S"));
        QCOMPARE(s.m_nKind, std::uint32_t(KIND_STRUCT));
        QCOMPARE(s.m_aMember.size(), size_t(4));
        QCOMPARE(s.m_aMember[0]->GetType(), m_doc->GetTypes()[0].get());
        QCOMPARE(s.m_aMember[1]->m_nCount, 12);
        QCOMPARE(s.m_aMember[2]->m_strCountName, QByteArray("N"));
        QCOMPARE(s.m_aMember[3]->GetType(), &s);
        QCOMPARE(ListedUserTypes(), QStringList({"S"}));
        QCOMPARE(ComboUserTypes(), QStringList({"S"}));
        // next keeps S in use only through the editor's copy: S's own member does not count.
        Click(IDC_DELETE_TYPE);
        QCOMPARE(m_box->texts, QStringList({"削除できません。参照数 = 1"}));
        m_box->texts.clear();
    }

    // Every check that refuses a member, a type or a change of the type list, with T { int x; }
    // and U { T t; } after S; nothing reaches the document.
    void refusals() {
        Register(QStringLiteral("T"), IDC_KIND_STRUCT, {{"int", "x"}});
        Register(QStringLiteral("U"), IDC_KIND_STRUCT, {{"T", "t"}});
        QCOMPARE(m_doc->GetTypes().size(), size_t(22));
        const struct {
            const char* what;
            std::function<void()> act;
            QString message;
        } rows[] = {
            {"no type chosen",
             [&] {
                 Load("U");
                 Click(IDC_NEW);
                 Click(IDC_ADD);
             },
             "型が選択されていません。"},
            {"a later type by value",
             [&] {
                 Load("T");
                 Enter({"U", "u"});
                 Click(IDC_ADD);
             },
             "後方参照はポインタしかできません"},
            {"an array without size",
             [&] {
                 Load("T");
                 Enter({"int", "n"});
                 Check(IDC_ARRAY, true);
                 Click(IDC_ADD);
             },
             "サイズが指定されていません。"},
            {"a size that is no count",
             [&] {
                 Load("T");
                 Enter({"int", "n", "12abc"});
                 Click(IDC_ADD);
             },
             "サイズが正しくありません。"},
            {"a define of two members",
             [&] {
                 Load("T");
                 Click(IDC_KIND_DEFINE);
                 Enter({"int", "y"});
                 Click(IDC_ADD);
                 Click(IDC_REGISTER);
             },
             "defineの場合は1行しか設定できません。"},
            {"a type without members",
             [&] {
                 Load("int");
                 Type(IDC_TYPE_NAME, "E");
                 Click(IDC_REGISTER);
             },
             "内容が定義されていません。"},
            {"a base type's name",
             [&] {
                 Load("T");
                 Type(IDC_TYPE_NAME, "int");
                 Click(IDC_REGISTER);
             },
             "基本型の名前は使えません。"},
            {"deleting a base type",
             [&] {
                 Type(IDC_TYPE_NAME, "int");
                 Click(IDC_DELETE_TYPE);
             },
             "基本型は削除できません。"},
            {"deleting a type in use, the editor's copy included",
             [&] {
                 Load("U");
                 Type(IDC_TYPE_NAME, "T");
                 Click(IDC_DELETE_TYPE);
             },
             "削除できません。参照数 = 2"},
            {"a struct above a type it embeds",
             [&] {
                 Load("U");
                 Click(IDC_TYPE_UP);
             },
             "前方参照になるので移動できません。"},
        };
        for (const auto& row : rows) {
            row.act();
            QVERIFY2(m_box->texts == QStringList(row.message), row.what);
            m_box->texts.clear();
            QCOMPARE(ListedUserTypes(), QStringList({"S", "T", "U"}));
            QCOMPARE(m_doc->GetTypes()[20]->m_aMember.size(), size_t(1));
        }
    }

    // The list and the drop-down follow a new type, its moves and its deletion.
    void typeListFollows() {
        Register(QStringLiteral("V"), IDC_KIND_DEFINE, {{"int", "v"}});
        QCOMPARE(m_doc->GetTypes().back()->m_nKind, std::uint32_t(KIND_DEFINE));
        QCOMPARE(ListedUserTypes(), QStringList({"S", "T", "U", "V"}));
        Click(IDC_TYPE_UP);
        QCOMPARE(ListedUserTypes(), QStringList({"S", "T", "V", "U"}));
        QCOMPARE(ComboUserTypes(), ListedUserTypes());
        QVERIFY(m_list->GetGrid()->Cell(22, 0).m_bHighlight);
        Click(IDC_TYPE_DOWN);
        QCOMPARE(ListedUserTypes(), QStringList({"S", "T", "U", "V"}));
        QCOMPARE(ComboUserTypes(), ListedUserTypes());
        Click(IDC_DELETE_TYPE);
        QVERIFY(m_box->texts.isEmpty());
        QCOMPARE(ListedUserTypes(), QStringList({"S", "T", "U"}));
        QCOMPARE(ComboUserTypes(), ListedUserTypes());
        QVERIFY(Control<QLineEdit>(IDC_TYPE_NAME)->text().isEmpty());
    }

    // The window at its first size, for a person to look at.
    // struct S { int a; }; S s[4]; made in a new window through the controls saves as the
    // bytes the .stm form gives for it.
    void exampleBytes() {
        const auto saved = std::tuple(m_doc, m_view, m_list);
        m_doc = dynamic_cast<CStrmDefDoc*>(
            m_fixture->App()->GetDocTemplates()[1]->OpenDocumentFile(QString()));
        m_view = m_doc->GetView<CStrmDefView>();
        m_list = m_doc->GetView<CStrmLstView>();
        Register(QStringLiteral("S"), IDC_KIND_STRUCT, {MemberInput{"int", "a"}});
        auto* layout = m_doc->GetView<CStreamView>();
        auto item = [&](UINT id) { return layout->findChild<QWidget*>(QString::number(id)); };
        auto* type = static_cast<QComboBox*>(item(IDC_STREAM_TYPE));
        type->setCurrentIndex(type->findText(QStringLiteral("S")));
        QTest::keyClicks(item(IDC_STREAM_NAME), "s");
        QTest::mouseClick(item(IDC_STREAM_ARRAY), Qt::LeftButton);
        QTest::keyClicks(item(IDC_STREAM_SIZE), "4");
        QTest::mouseClick(item(IDC_STREAM_ADD), Qt::LeftButton);
        const QString path = m_dir.filePath(QStringLiteral("example.stm"));
        QVERIFY(m_doc->OnSaveDocument(path));
        QCOMPARE(ReadFile(path), QByteArray::fromHex("01000000 01000000 0153 01000000 01000000"
                                                     "00000000 00000000 0161 00000000 00000000"
                                                     "00000000 00 00 01000000"
                                                     "13000000 00000000 0173 01000000 04000000"
                                                     "00000000 00 00"));
        m_doc->OnCloseDocument();
        std::tie(m_doc, m_view, m_list) = saved;
    }

    // The whole workflow: a header struct defined and laid out here, the .stm saved, a
    // compound file opened in another window, the definition picked from the combo box, the
    // values read, the struct expanded, the number base switched.
    void workflow() {
        Register(QStringLiteral("Hdr"), IDC_KIND_STRUCT,
                 {MemberInput{"unsigned short", "magic"}, MemberInput{"int", "count"}});
        auto* layout = m_doc->GetView<CStreamView>();
        auto* type = layout->findChild<QComboBox*>(QString::number(IDC_STREAM_TYPE));
        type->setCurrentIndex(type->findText(QStringLiteral("Hdr")));
        QTest::keyClicks(layout->findChild<QLineEdit*>(QString::number(IDC_STREAM_NAME)), "h");
        QTest::mouseClick(layout->findChild<QPushButton*>(QString::number(IDC_STREAM_ADD)),
                          Qt::LeftButton);
        const QString stm = m_dir.filePath(QStringLiteral("hdr.stm"));
        QVERIFY(m_doc->OnSaveDocument(stm));
        m_fixture->App()->AddLoadedStrmDef(stm); // as an earlier load leaves it
        const QString cfb = m_dir.filePath(QStringLiteral("data.cfb"));
        MakeCompoundFile(cfb, {{QStringLiteral("Head"), QByteArray::fromHex("feff03000000")}});
        CKestrinDoc* data = m_fixture->Open(cfb);
        TreeOf(data)->setCurrentItem(Child(TreeOf(data)->GetRootItem(), QStringLiteral("Head")));
        m_fixture->Frame()->GetStrmDefCombo()->setCurrentIndex(0);
        QVERIFY(m_fixture->Frame()->SendCommand(IDC_STRMDEF_COMBO, CBN_SELCHANGE));
        auto* values = data->GetView<CValEditView>();
        QCOMPARE(values->GetRowCount(), 1);
        const CRect rect = values->GetGrid()->ClientRect(1, 0);
        QTest::mouseClick(values->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left + 6, rect.top + 8));
        QCOMPARE(values->GetRowCount(), 3);
        auto valueTexts = [&] {
            return QStringList{values->GetGrid()->GetCellText(2, CValEditView::COL_VALUE),
                               values->GetGrid()->GetCellText(3, CValEditView::COL_VALUE)};
        };
        QCOMPARE(valueTexts(), (QStringList{"65534", "3"}));
        QVERIFY(m_fixture->Frame()->SendCommand(ID_VALUE_HEX));
        QCOMPARE(valueTexts(), (QStringList{"FFFE", "0003"}));
        data->OnCloseDocument();
    }

    void rendering() {
        Load(QStringLiteral("S"));
        SelectMember(1);
        QWidget* window = dynamic_cast<CMDIChildWnd*>(m_view->GetParentFrame())->GetSubWindow();
        QDir().mkpath(QStringLiteral(KESTRIN_ARTEFACT_DIR));
        QVERIFY(window->grab().save(QStringLiteral(KESTRIN_ARTEFACT_DIR "/type_editor.png")));
        QVERIFY(m_fixture->Frame()->grab().save(
            QStringLiteral(KESTRIN_ARTEFACT_DIR "/type_editor_main.png")));
        // Closed without saving while the editor holds copies: the views go after the types.
        m_box->answers = {IDNO};
        m_fixture->CloseActive();
        QVERIFY(m_fixture->App()->GetDocTemplates()[1]->GetDocuments().empty());
    }
};

QTEST_MAIN(TypeEditorTest)
#include "type_editor_test.moc"
