// The toolbars: 128 while no document window is active, 129 for compound files (its
// placeholder 32790 becomes the stream-definition combo box), 130 for stream definitions.
#include "resource_ids.h"
#include "resource_tables.h"

namespace {

const ToolBarResource kToolBars[] = {
    {IDR_MAINFRAME, {ID_FILE_NEW, ID_FILE_OPEN, ID_SEPARATOR, ID_APP_ABOUT}},
    {IDR_KESTRITYPE,
     {ID_FILE_NEW,       ID_FILE_OPEN,    ID_FILE_SAVE, ID_STREAM_IMPORT, ID_STREAM_EXPORT,
      ID_SEPARATOR,      ID_EDIT_CUT,     ID_EDIT_COPY, ID_EDIT_PASTE,    ID_ELEMENT_DELETE,
      ID_BYTE_EDIT,      ID_SEPARATOR,    ID_APP_ABOUT, ID_SEPARATOR,     ID_PAGE_FIRST,
      ID_PAGE_PREV,      ID_PAGE_NEXT,    ID_PAGE_LAST, ID_SEPARATOR,     ID_VIEW_LARGEICON,
      ID_VIEW_SMALLICON, ID_VIEW_DETAILS, ID_SEPARATOR, ID_STRMDEF_PLACE, ID_STRMDEF_OPEN}},
    {IDR_STRMDEFTYPE,
     {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR, ID_EDIT_CUT, ID_EDIT_COPY,
      ID_EDIT_PASTE, ID_SEPARATOR, ID_APP_ABOUT}},
};

} // namespace

std::span<const ToolBarResource> ToolBarTable() {
    return kToolBars;
}
