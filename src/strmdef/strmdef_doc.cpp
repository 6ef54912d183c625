#include "strmdef_doc.h"

#include <algorithm>

#include "base_types.h"
#include "message_box.h"
#include "strmdef_messages.h"
#include "type_def.h"
#include "val_def.h"

void CStrmDefDoc::Serialize(CArchive& ar) {
    m_def.Serialize(ar);
}

void CStrmDefDoc::DeleteContents() {
    m_def.ResetTypes();
}

void CStrmDefDoc::ReportSaveLoadException(const QString& path, bool saving, UINT defaultId) {
    if (saving)
        CBaseDoc::ReportSaveLoadException(path, saving, defaultId);
    else
        AfxMessageBox(QString::fromUtf16(kMsgDamagedStrmDef));
}

int CStrmDefDoc::IndexOf(const CTypeDef* type) const {
    const int id = type ? type->m_nTypeId : -1;
    return id >= 0 && id < static_cast<int>(GetTypes().size()) && GetTypes()[id].get() == type ? id
                                                                                               : -1;
}

bool CStrmDefDoc::AddType(CView* sender, std::unique_ptr<CTypeDef> type) {
    if (type->m_nTypeId >= static_cast<int>(GetTypes().size())) {
        CTypeDef* added = type.get();
        m_def.m_aTypes.push_back(std::move(type));
        UpdateAllViews(sender, HINT_TYPE_ADDED, added);
    }
    SetModifiedFlag();
    return true;
}

// A type's own members that point to it go with it: they do not keep it in use.
DeleteTypeResult CStrmDefDoc::DeleteType(CView* sender, int index, int& refCount) {
    CTypeDef* type = GetTypes()[index].get();
    refCount = type->GetRefCount() -
               static_cast<int>(std::ranges::count_if(type->m_aMember, [type](const auto& member) {
                   return member->GetType() == type;
               }));
    if (index < kBaseTypeCount)
        return DELETE_TYPE_BASE;
    if (refCount > 0)
        return DELETE_TYPE_IN_USE;
    std::unique_ptr<CTypeDef> removed = std::move(m_def.m_aTypes[index]);
    m_def.m_aTypes.erase(m_def.m_aTypes.begin() + index);
    UpdateAllViews(sender, HINT_TYPE_DELETED, removed.get());
    m_def.Renumber(index);
    return DELETE_TYPE_DONE;
}

bool CStrmDefDoc::SwapWithNext(int index) {
    const CTypeDef* first = GetTypes()[index].get();
    for (const auto& member : GetTypes()[index + 1]->m_aMember)
        if (!member->m_bPointer && member->GetType() == first) {
            AfxMessageBox(QString::fromUtf16(kMsgForwardReference));
            return false;
        }
    std::swap(m_def.m_aTypes[index], m_def.m_aTypes[index + 1]);
    m_def.Renumber(index);
    SetModifiedFlag();
    return true;
}

bool CStrmDefDoc::MoveTypeUp(CView* sender, CTypeDef* type) {
    const int index = IndexOf(type);
    if (index <= kBaseTypeCount)
        return true;
    if (!SwapWithNext(index - 1))
        return false;
    UpdateAllViews(sender, HINT_TYPE_MOVED_UP, type);
    return true;
}

bool CStrmDefDoc::MoveTypeDown(CView* sender, CTypeDef* type) {
    const int index = IndexOf(type);
    if (index < kBaseTypeCount || index + 1 >= static_cast<int>(GetTypes().size()))
        return true;
    if (!SwapWithNext(index))
        return false;
    UpdateAllViews(sender, HINT_TYPE_MOVED_DOWN, type);
    return true;
}

void CStrmDefDoc::AddVariable(std::unique_ptr<CValDef> variable) {
    m_def.m_aLayout.push_back(std::move(variable));
    SetModifiedFlag();
}

void CStrmDefDoc::InsertVariable(int index, std::unique_ptr<CValDef> variable) {
    m_def.m_aLayout.insert(m_def.m_aLayout.begin() + index, std::move(variable));
    SetModifiedFlag();
}

void CStrmDefDoc::ReplaceVariable(int index, std::unique_ptr<CValDef> variable) {
    const bool changed = !(*variable == *GetLayout()[index]);
    m_def.m_aLayout[index] = std::move(variable);
    if (changed)
        SetModifiedFlag();
}

void CStrmDefDoc::RemoveVariable(int index) {
    m_def.m_aLayout.erase(m_def.m_aLayout.begin() + index);
    SetModifiedFlag();
}
