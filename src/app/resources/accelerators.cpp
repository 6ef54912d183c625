// Accelerator table 128: the keys that send commands wherever the focus is in the window.
#include "resource_ids.h"
#include "resource_tables.h"

namespace {

const AcceleratorResource kAccelerators[] = {
    {IDR_MAINFRAME,
     {
         {Qt::CTRL | Qt::Key_N, ID_FILE_NEW},
         {Qt::CTRL | Qt::Key_O, ID_FILE_OPEN},
         {Qt::CTRL | Qt::Key_S, ID_FILE_SAVE},
         {Qt::CTRL | Qt::Key_P, ID_FILE_PRINT},
         {Qt::CTRL | Qt::Key_Z, ID_EDIT_UNDO},
         {Qt::ALT | Qt::Key_Backspace, ID_EDIT_UNDO},
         {Qt::CTRL | Qt::Key_X, ID_EDIT_CUT},
         {Qt::SHIFT | Qt::Key_Delete, ID_EDIT_CUT},
         {Qt::CTRL | Qt::Key_C, ID_EDIT_COPY},
         {Qt::CTRL | Qt::Key_Insert, ID_EDIT_COPY},
         {Qt::CTRL | Qt::Key_V, ID_EDIT_PASTE},
         {Qt::SHIFT | Qt::Key_Insert, ID_EDIT_PASTE},
         {Qt::CTRL | Qt::Key_G, ID_GOTO_POSITION},
         {Qt::Key_F6, ID_NEXT_PANE},
         {Qt::SHIFT | Qt::Key_F6, ID_PREV_PANE},
     }},
};

} // namespace

std::span<const AcceleratorResource> AcceleratorTable() {
    return kAccelerators;
}
