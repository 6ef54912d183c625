// Reads arbitrary bytes as a stream-definition file. Reading may refuse them, but must not
// crash, hang, leak or allocate beyond what the bytes justify, and a refused file leaves only
// the base types. An accepted one has every type sized and each reference counted, and saves
// to bytes that read back and save again the same.
#include <QBuffer>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "archive.h"
#include "strm_def.h"
#include "type_def.h"
#include "type_sizes.h"
#include "val_def.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_stm: %s\n", what);
    std::abort();
}

bool Load(const QByteArray& bytes, CStrmDef& def) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    def.Serialize(ar);
    return !ar.IsFailed();
}

QByteArray Save(CStrmDef& def) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    def.Serialize(ar);
    if (ar.IsFailed())
        Fail("a definition that was read cannot be written");
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CStrmDef def;
    if (!Load(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), def)) {
        if (def.m_aTypes.size() != 19 || !def.m_aLayout.empty())
            Fail("a refused file left records behind");
        return 0;
    }
    // Every variable names a type of the list, and each type counts exactly its users.
    std::unordered_map<const CTypeDef*, int> users;
    auto use = [&](const CValDef& variable) {
        if (!variable.GetType())
            Fail("a variable was left without a type");
        ++users[variable.GetType()];
    };
    for (const auto& type : def.m_aTypes)
        for (const auto& member : type->m_aMember)
            use(*member);
    for (const auto& variable : def.m_aLayout)
        use(*variable);
    const CTypeSizes sizes(def.m_aTypes);
    for (std::size_t i = 0; i < def.m_aTypes.size(); ++i) {
        const CTypeDef* type = def.m_aTypes[i].get();
        if (type->m_nTypeId != static_cast<int>(i) || type->GetRefCount() != users[type])
            Fail("a type's id is not its index, or its count not its users");
        sizes.TypeSize(type);
    }
    const QByteArray saved = Save(def);
    CStrmDef again;
    if (!Load(saved, again) || Save(again) != saved)
        Fail("a saved definition does not read back the same");
    return 0;
}
