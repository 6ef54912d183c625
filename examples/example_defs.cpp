#include "example_defs.h"

#include <QFile>
#include <cstdio>

#include "archive.h"
#include "base_types.h"
#include "cp932.h"
#include "example_layout.h"
#include "strm_def.h"
#include "type_def.h"
#include "val_def.h"

using namespace example;

namespace {

// Base type ids, as base_types.h numbers them.
enum Base {
    kInt = 0,
    kUnsignedLong = 3,
    kDouble = 5,
    kChar = 7,
    kUnsignedChar = 8,
    kShort = 9,
    kUnsignedShort = 10,
    kInt64 = 17,
};

// A definition built as the editors build one: types appended to the list, variables added
// to the layout or to a type's members, an array when count is not 0.
class Builder {
public:
    CTypeDef* Type(Base id) { return m_def.m_aTypes[id].get(); }
    CTypeDef* NewType(const char* name, std::uint32_t kind) {
        m_def.m_aTypes.push_back(
            std::make_unique<CTypeDef>(name, int(m_def.m_aTypes.size()), kind));
        return m_def.m_aTypes.back().get();
    }
    // A define of exactly one member: the type it stands for.
    CTypeDef* Define(const char* name, CTypeDef* type) {
        CTypeDef* define = NewType(name, KIND_DEFINE);
        Member(define, type, "");
        return define;
    }
    void Member(CTypeDef* owner, CTypeDef* type, const char* name, int count = 0,
                const char* comment = "") {
        Add(owner->m_aMember, type, name, count, comment);
    }
    void Layout(CTypeDef* type, const char* name, int count = 0, const char* comment = "") {
        Add(m_def.m_aLayout, type, name, count, comment);
    }
    bool Save(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "make_examples: cannot write %s\n", qPrintable(path));
            return false;
        }
        CArchive ar(&file, CArchive::store);
        m_def.Serialize(ar);
        return !ar.IsFailed();
    }

private:
    // Comments are written here in UTF-8 and stored in CP932, as the editors store them.
    static void Add(std::vector<std::unique_ptr<CValDef>>& list, CTypeDef* type, const char* name,
                    int count, const char* comment) {
        auto& variable = list.emplace_back(std::make_unique<CValDef>());
        variable->SetType(type);
        variable->m_strName = name;
        variable->m_bArray = count != 0;
        variable->m_nCount = count;
        variable->m_strComment = ToCp932(QString::fromUtf8(comment)).value_or(QByteArray());
    }

    CStrmDef m_def;
};

bool Header(const QString& path) {
    Builder b;
    b.Layout(b.Type(kChar), "Magic", 4, "識別子 \"KSTR\"");
    b.Layout(b.Type(kUnsignedShort), "VersionMajor", 0, "版 (主)");
    b.Layout(b.Type(kUnsignedShort), "VersionMinor", 0, "版 (副)");
    b.Layout(b.Type(kUnsignedLong), "RecordCount", 0, "Table のレコード数");
    b.Layout(b.Type(kInt64), "Created", 0, "作成日時 (1601 年からの 100 ナノ秒単位)");
    return b.Save(path);
}

bool Table(const QString& path) {
    Builder b;
    CTypeDef* record = b.NewType("Record", KIND_STRUCT);
    b.Member(record, b.Type(kUnsignedLong), "Id", 0, "レコード番号");
    b.Member(record, b.Type(kUnsignedShort), "Flags", 0, "ビット 0: 使用中、ビット 1: 確認済み");
    b.Member(record, b.Type(kUnsignedShort), "Reserved", 0, "予約 (0)");
    b.Member(record, b.Type(kChar), "Name", kNameLength, "名前 (残りは 0)");
    b.Member(record, b.Type(kInt), "Value", 0, "値");
    b.Layout(record, "Records", kRecordCount, "Header の RecordCount と同じ数");
    return b.Save(path);
}

bool Samples(const QString& path) {
    Builder b;
    b.Layout(b.Type(kDouble), "Samples", kSampleCount, "正弦波 1 周期分");
    return b.Save(path);
}

bool Notes(const QString& path) {
    Builder b;
    b.Layout(b.Type(kChar), "Text", kNotesLength, "メモ (残りは 0)");
    return b.Save(path);
}

// A property set of one section with the summary information's typed values.
bool SummaryInformation(const QString& path) {
    Builder b;
    CTypeDef* word = b.Define("WORD", b.Type(kUnsignedShort));
    CTypeDef* dword = b.Define("DWORD", b.Type(kUnsignedLong));
    CTypeDef* guid = b.NewType("GUID", KIND_STRUCT);
    b.Member(guid, dword, "Data1");
    b.Member(guid, word, "Data2");
    b.Member(guid, word, "Data3");
    b.Member(guid, b.Type(kUnsignedChar), "Data4", 8);
    CTypeDef* filetime = b.NewType("FILETIME", KIND_STRUCT);
    b.Member(filetime, dword, "dwLowDateTime");
    b.Member(filetime, dword, "dwHighDateTime");

    CTypeDef* header = b.NewType("PropertySetHeader", KIND_STRUCT);
    b.Member(header, word, "ByteOrder", 0, "バイト順 (FFFE)");
    b.Member(header, word, "Version", 0, "形式の版 (0)");
    b.Member(header, dword, "SystemId", 0, "作成した OS の種類と版");
    b.Member(header, guid, "ClassId", 0, "クラス ID");
    b.Member(header, dword, "SectionCount", 0, "セクション数");
    CTypeDef* fmtid = b.NewType("FormatIdOffset", KIND_STRUCT);
    b.Member(fmtid, guid, "FormatId", 0, "セクションの FMTID");
    b.Member(fmtid, dword, "Offset", 0, "ストリーム先頭からセクションまで");
    CTypeDef* section = b.NewType("SectionHeader", KIND_STRUCT);
    b.Member(section, dword, "Size", 0, "セクションのバイト数");
    b.Member(section, dword, "PropertyCount", 0, "プロパティ数");
    CTypeDef* idOffset = b.NewType("PropertyIdOffset", KIND_STRUCT);
    b.Member(idOffset, dword, "PropertyId", 0, "プロパティ ID");
    b.Member(idOffset, dword, "Offset", 0, "セクション先頭からの位置");

    CTypeDef* i2 = b.NewType("I2Property", KIND_STRUCT);
    b.Member(i2, dword, "Type", 0, "VT_I2 (2)");
    b.Member(i2, b.Type(kShort), "Value", 0, "値");
    b.Member(i2, word, "Padding", 0, "4 バイト境界までの詰め物");
    CTypeDef* lpstr = b.NewType("LpstrProperty", KIND_STRUCT);
    b.Member(lpstr, dword, "Type", 0, "VT_LPSTR (30)");
    b.Member(lpstr, dword, "Length", 0, "終端の 0 を含むバイト数");
    b.Member(lpstr, b.Type(kChar), "Text", kLpstrLength, "文字列");
    CTypeDef* time = b.NewType("FiletimeProperty", KIND_STRUCT);
    b.Member(time, dword, "Type", 0, "VT_FILETIME (64)");
    b.Member(time, filetime, "Value", 0, "1601 年からの 100 ナノ秒単位");

    b.Layout(header, "Header", 0, "プロパティセットのヘッダー");
    b.Layout(fmtid, "Section0", 0, "セクションの FMTID と位置");
    b.Layout(section, "Section", 0, "セクションのヘッダー");
    b.Layout(idOffset, "Properties", kPropertyCount, "ID と位置の組");
    b.Layout(i2, "CodePage", 0, "PID 1: コードページ");
    b.Layout(lpstr, "Title", 0, "PID 2: タイトル");
    b.Layout(lpstr, "Author", 0, "PID 4: 作成者");
    b.Layout(time, "Created", 0, "PID 12: 作成日時");
    return b.Save(path);
}

} // namespace

bool WriteExampleDefinitions(const QString& folder) {
    const QString f = folder + QLatin1Char('/');
    return Header(f + "header.stm") && Table(f + "table.stm") && Samples(f + "samples.stm") &&
           Notes(f + "notes.stm") && SummaryInformation(f + "summaryinfo.stm");
}
