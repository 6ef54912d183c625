// A stream definition: the type list (the 19 base types, then the user types in definition
// order, each type's id equal to its index) and the layout list (the variables that lie one
// after the other from the start of a stream). The stream-definition document edits one; a
// compound-file document reads one to show a stream as values.
//
// Its .stm form is Serialize's output and nothing else. Integers are 32-bit little-endian,
// strings are the archive's counted strings in CP932:
//   version (1; read and not checked), user type count U, U type records for the ids
//   19, 20, ... in list order, layout count V, V variable records.
//   type record:     name, kind (1 struct, 2 define), member count M, M variable records
//   variable record: type id, pointer flag, name, array flag, count, count-by-name flag,
//                    count name, comment
// The base types are never written: files name them by their ids 0 to 18.
#pragma once

#include <QByteArray>
#include <memory>
#include <vector>

#include "type_list.h"

class CArchive;
class CTypeDef;
class CValDef;

class CStrmDef {
public:
    // The base types and an empty layout.
    CStrmDef();
    ~CStrmDef();
    CStrmDef(const CStrmDef&) = delete;
    CStrmDef& operator=(const CStrmDef&) = delete;

    // Destroys every variable and user type and starts again from the base types.
    void ResetTypes();
    // Storing numbers the types by their indexes first. Loading starts from a reset
    // definition; a file that contradicts itself (a count beyond the bytes left, a string
    // running past the end, a type id below the list's size that no type has) marks the
    // archive failed, and a failed load leaves the definition reset, nothing half-read in it.
    void Serialize(CArchive& ar);
    // The index of the first type named exactly name, or the list's size; found receives the
    // type or null.
    int FindTypeByName(const QByteArray& name, CTypeDef** found = nullptr) const;
    // Gives every type from index first on its index as its id.
    void Renumber(int first = 0);
    // Moves the user types onto the end of types, which holds base types only, and hands out
    // the layout; what named this definition's base types names those of types instead.
    // This definition is left with its base types, unnamed, and an empty layout.
    std::vector<std::unique_ptr<CValDef>> MoveOnto(TypeList& types);

    TypeList m_aTypes;
    std::vector<std::unique_ptr<CValDef>> m_aLayout;

private:
    void Store(CArchive& ar);
    void Load(CArchive& ar);
    // Variables go before the types they name: no reference outlives its type.
    void DestroyAll();
};
