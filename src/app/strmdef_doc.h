// A stream-definition document (.stm). It opens and shows its window, but holds no
// definitions yet, so it never writes: Save and Save As stay disabled, and the file on
// disk is never replaced by an empty one.
#pragma once

#include "base_doc.h"

class CStrmDefDoc : public CBaseDoc {
public:
    CStrmDefDoc();

private:
    void OnUpdateFileSave(CCmdUI* ui);
};
