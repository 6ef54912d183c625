// Writes the stream definitions the tests build into a folder, as the starting corpus of the
// .stm target: the empty definition, a struct laid out as an array, a define of a pointer, a
// type that points at itself, names in every length form and in CP932.
//   make_stm_seeds <folder>
#include <QBuffer>
#include <QFile>
#include <cstdio>

#include "archive.h"
#include "strm_def.h"
#include "type_def.h"
#include "val_def.h"

namespace {

CTypeDef* AddType(CStrmDef& def, const QByteArray& name, std::uint32_t kind) {
    def.m_aTypes.push_back(std::make_unique<CTypeDef>(name, int(def.m_aTypes.size()), kind));
    return def.m_aTypes.back().get();
}

CValDef* Var(std::vector<std::unique_ptr<CValDef>>& list, CTypeDef* type, int count = 0) {
    auto& variable = list.emplace_back(std::make_unique<CValDef>());
    variable->SetType(type);
    variable->m_strName = "v";
    variable->m_bArray = count > 0;
    variable->m_nCount = count;
    return variable.get();
}

bool Write(CStrmDef& def, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    CArchive ar(&file, CArchive::store);
    def.Serialize(ar);
    return !ar.IsFailed();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_stm_seeds <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    CStrmDef def;
    bool written = Write(def, folder + "empty.stm");

    CTypeDef* s = AddType(def, "S", KIND_STRUCT);
    Var(s->m_aMember, def.m_aTypes[0].get());
    Var(s->m_aMember, s)->m_bPointer = 1;
    CTypeDef* d = AddType(def, "D", KIND_DEFINE);
    Var(d->m_aMember, s, 3)->m_bPointer = 1;
    Var(def.m_aLayout, s, 4)->m_strComment = "comment";
    CValDef* named = Var(def.m_aLayout, d, 2);
    named->m_bCountByName = 1;
    named->m_strCountName = "N";
    written = written && Write(def, folder + "struct.stm");

    // Code page 932 for "型名": a trail byte in the ASCII range.
    AddType(def, QByteArray::fromHex("8c5e96bc"), KIND_STRUCT);
    AddType(def, QByteArray(255, 'n'), KIND_STRUCT);
    written = written && Write(def, folder + "names.stm");
    AddType(def, QByteArray(70000, 'n'), KIND_STRUCT);
    Var(def.m_aLayout, def.m_aTypes.back().get());
    written = written && Write(def, folder + "long.stm");
    return written ? 0 : 1;
}
