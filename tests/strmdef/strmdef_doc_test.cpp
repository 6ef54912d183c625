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

    // A struct of one member of the type of that id, a pointer when marked.
    CTypeDef* Add(const char* name, int member, bool pointer = false) {
        auto type = std::make_unique<CTypeDef>(name, int(m_doc.GetTypes().size()), KIND_STRUCT);
        Member(type.get(), m_doc.GetTypes()[member].get(), {}, 0, pointer);
        m_doc.AddType(nullptr, std::move(type));
        return m_doc.GetTypes().back().get();
    }

    CStrmDefDoc m_doc;
    RecordingMessageBox m_boxes;
};

} // namespace

// Deleting is refused for base types and types in use, moving where a type would come before
// a type it embeds by value; both renumber the types after them. A damaged file opened over the
// types is reported and leaves the base types alone, with the references on them given back.
TEST_F(StrmDefDoc, TypeListOperationsAndADamagedFile) {
    CTypeDef* a = Add("A", 0);
    CTypeDef* b = Add("B", 19);
    Add("X", 19, true);
    CTypeDef* c = Add("C", 20, true);
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

    const QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("defs.stm")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) &&
                file.write(QByteArray::fromHex("01000000 01000000 0153 01000000 ffffff7f")) > 0);
    file.close();
    EXPECT_FALSE(m_doc.OnOpenDocument(file.fileName()));
    EXPECT_EQ(m_boxes.texts.mid(2), QStringList{QStringLiteral("ｽﾄﾘｰﾑ定義ﾌｧｲﾙが壊れています。")});
    EXPECT_EQ(m_doc.GetTypes().size(), 19u);
    EXPECT_EQ(m_doc.GetTypes()[0]->GetRefCount(), 0);
}
