// The stream-definition document without a window: files through the framework, the title
// mark, and the operations that keep the type list's invariants.
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "recording_message_box.h"
#include "strmdef_doc.h"
#include "type_def.h"
#include "val_def.h"

namespace {

class StrmDefDoc : public testing::Test {
protected:
    StrmDefDoc() { m_doc.m_bAutoDelete = false; }

    CTypeDef* Add(const char* name, std::initializer_list<std::pair<int, bool>> members) {
        auto type = std::make_unique<CTypeDef>(name, int(m_doc.GetTypes().size()), KIND_STRUCT);
        for (const auto& [id, pointer] : members) {
            auto& member = type->m_aMember.emplace_back(new CValDef);
            member->SetType(m_doc.GetTypes()[id].get());
            member->m_bPointer = pointer;
        }
        CTypeDef* added = type.get();
        m_doc.AddType(nullptr, std::move(type));
        return added;
    }
    QString Path() const { return m_dir.filePath(QStringLiteral("defs.stm")); }

    QTemporaryDir m_dir;
    CStrmDefDoc m_doc;
    RecordingMessageBox m_boxes;
};

} // namespace

TEST_F(StrmDefDoc, DamagedFileIsReportedAndLeavesAnEmptyDefinition) {
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromHex("01000000 01000000 0153 01000000 ffffff7f"));
    file.close();
    Add("T", {{0, false}});
    EXPECT_FALSE(m_doc.OnOpenDocument(Path()));
    EXPECT_EQ(m_boxes.texts, QStringList{QStringLiteral("ｽﾄﾘｰﾑ定義ﾌｧｲﾙが壊れています。")});
    EXPECT_EQ(m_doc.GetTypes().size(), 19u);
    EXPECT_EQ(m_doc.GetTypes()[0]->GetRefCount(), 0);
}

TEST_F(StrmDefDoc, TitleMarkFollowsTheModifiedFlag) {
    m_doc.SetTitle(QStringLiteral("defs.stm"));
    m_doc.AddVariable(std::make_unique<CValDef>());
    m_doc.AddVariable(std::make_unique<CValDef>());
    EXPECT_EQ(m_doc.GetTitle(), QStringLiteral("defs.stm *"));
    ASSERT_TRUE(m_doc.OnSaveDocument(Path()));
    EXPECT_EQ(m_doc.GetTitle(), QStringLiteral("defs.stm"));
    m_doc.ReplaceVariable(1, std::make_unique<CValDef>()); // equal: no change
    EXPECT_FALSE(m_doc.IsModified());
    auto named = std::make_unique<CValDef>();
    named->m_strName = "v";
    m_doc.ReplaceVariable(1, std::move(named));
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(StrmDefDoc, DeleteRefusesBaseAndUsedTypesAndRenumbers) {
    CTypeDef* a = Add("A", {{0, false}});
    Add("B", {{0, false}, {19, true}});
    CTypeDef* c = Add("C", {});
    int refs = -1;
    EXPECT_EQ(m_doc.DeleteType(nullptr, 0, refs), DELETE_TYPE_BASE);
    EXPECT_EQ(refs, 2);
    EXPECT_EQ(m_doc.DeleteType(nullptr, 19, refs), DELETE_TYPE_IN_USE);
    EXPECT_EQ(refs, 1);
    EXPECT_EQ(m_doc.DeleteType(nullptr, 20, refs), DELETE_TYPE_DONE);
    EXPECT_EQ(a->GetRefCount(), 0);
    EXPECT_EQ(c->m_nTypeId, 20);
    EXPECT_EQ(m_doc.FindTypeByName("C"), 20);
    EXPECT_EQ(m_doc.FindTypeByName("c"), 21);
}

// Moving is refused only where a type would come before a type it embeds by value.
TEST_F(StrmDefDoc, MovesKeepEmbeddedTypesFirst) {
    CTypeDef* a = Add("A", {});
    CTypeDef* b = Add("B", {{19, false}});
    CTypeDef* c = Add("C", {{20, true}});
    m_doc.SetModifiedFlag(false);
    EXPECT_TRUE(m_doc.MoveTypeUp(nullptr, a));
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_FALSE(m_doc.MoveTypeUp(nullptr, b));
    EXPECT_FALSE(m_doc.MoveTypeDown(nullptr, a));
    EXPECT_EQ(m_boxes.texts.size(), 2);
    EXPECT_EQ(m_boxes.texts[0], QStringLiteral("前方参照になるので移動できません。"));
    EXPECT_TRUE(m_doc.MoveTypeUp(nullptr, c));
    EXPECT_EQ(c->m_nTypeId, 20);
    EXPECT_EQ(b->m_nTypeId, 21);
    EXPECT_EQ(m_doc.GetTypes()[20].get(), c);
    EXPECT_TRUE(m_doc.MoveTypeDown(nullptr, b)); // already last
    EXPECT_TRUE(m_doc.IsModified());
}
