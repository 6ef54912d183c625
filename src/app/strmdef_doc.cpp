#include "strmdef_doc.h"

#include "cmd_ui.h"

CStrmDefDoc::CStrmDefDoc() {
    OnUpdateCommand(ID_FILE_SAVE, &CStrmDefDoc::OnUpdateFileSave);
    OnUpdateCommand(ID_FILE_SAVE_AS, &CStrmDefDoc::OnUpdateFileSave);
}

void CStrmDefDoc::OnUpdateFileSave(CCmdUI* ui) {
    ui->Enable(false);
}
