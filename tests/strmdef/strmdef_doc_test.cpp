// The stream-definition document without a window: a damaged file through the framework, and
// the operations that keep the type list's invariants.
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "recording_message_box.h"
#include "strmdef_builders.h"
#include "strmdef_doc.h"

namespace {

class StrmDefDoc : public testing::Test {
protected:
    StrmDefDoc() { m_doc.m_bAutoDelete = false; }

    // A struct whose members are the types of the given ids, pointers where marked.
    CTypeDef* Add(const char* name, std::initializer_list<std::pair<int, bool>> members) {
        auto type = std::make_unique<CTypeDef>(name, int(m_doc.GetTypes().size()), KIND_STRUCT);
        for (const auto& [id, pointer] : members)
            Member(type.get(), m_doc.GetTypes()[id].get(), {}, 0, pointer);
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

// Deleting is refused for base types and types in use, moving where a type would come before
// a type it embeds by value; both renumber the types after them.
TEST_F(StrmDefDoc, TypeListOperationsKeepEmbeddedTypesFirst) {
    CTypeDef* a = Add("A", {{0, false}});
    CTypeDef* b = Add("B", {{19, false}});
    Add("X", {{19, true}});
    CTypeDef* c = Add("C", {{20, true}});
    m_doc.SetModifiedFlag(false);
    EXPECT_TRUE(m_doc.MoveTypeUp(nullptr, a)); // already first
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_FALSE(m_doc.MoveTypeUp(nullptr, b));
    EXPECT_FALSE(m_doc.MoveTypeDown(nullptr, a));
    EXPECT_EQ(m_boxes.texts, QStringList(2, QStringLiteral("前方参照になるので移動できません。")));
    int refs = -1;
    EXPECT_EQ(m_doc.DeleteType(nullptr, 0, refs), DELETE_TYPE_BASE);
    EXPECT_EQ(refs, 1);
    EXPECT_EQ(m_doc.DeleteType(nullptr, 19, refs), DELETE_TYPE_IN_USE);
    EXPECT_EQ(refs, 2);
    EXPECT_EQ(m_doc.DeleteType(nullptr, 21, refs), DELETE_TYPE_DONE);
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_EQ(m_doc.FindTypeByName("C"), 21);
    EXPECT_EQ(m_doc.FindTypeByName("c"), 22);
    EXPECT_TRUE(m_doc.MoveTypeUp(nullptr, c));
    EXPECT_EQ(c->m_nTypeId, 20);
    EXPECT_EQ(b->m_nTypeId, 21);
    EXPECT_EQ(m_doc.GetTypes()[20].get(), c);
    EXPECT_TRUE(m_doc.IsModified());
}
