// The menus: 128 while no document window is open, 129 for compound-file windows, 130 for
// stream-definition windows, 153 the typed value view's, 154 the hex page's and 155 the storage
// tree's context menus.
// The first recent-file item stands for the whole list.
#include "resource_ids.h"
#include "resource_tables.h"

namespace {

MenuItem FileMenu(bool strmDefItem) {
    std::vector<MenuItem> items = {
        MenuCommand(ID_FILE_NEW, "新規作成(&N)\tCtrl+N"),
        MenuCommand(ID_FILE_OPEN, "開く(&O)...\tCtrl+O"),
        MenuCommand(ID_FILE_CLOSE, "閉じる(&C)"),
        MenuCommand(ID_FILE_SAVE, "上書き保存(&S)\tCtrl+S"),
        MenuCommand(ID_FILE_SAVE_AS, "名前を付けて保存(&A)..."),
        MenuSeparator(),
    };
    if (strmDefItem) {
        items.push_back(MenuCommand(ID_STRMDEF_OPEN, "ｽﾄﾘｰﾑ定義を開く(&M)..."));
        items.push_back(MenuSeparator());
    }
    items.push_back(MenuCommand(ID_FILE_MRU_FILE1, "最新のﾌｧｲﾙ"));
    items.push_back(MenuSeparator());
    items.push_back(MenuCommand(ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"));
    return MenuPopup("ﾌｧｲﾙ(&F)", std::move(items));
}

MenuItem BarItems(std::vector<MenuItem> more) {
    std::vector<MenuItem> items = {MenuCommand(ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰ(&T)"),
                                   MenuCommand(ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)")};
    items.insert(items.end(), more.begin(), more.end());
    return MenuPopup("表示(&V)", std::move(items));
}

MenuItem WindowMenu() {
    return MenuPopup("ｳｨﾝﾄﾞｳ(&W)", {
                                       MenuCommand(ID_WINDOW_NEW, "新しいｳｨﾝﾄﾞｳを開く(&N)"),
                                       MenuCommand(ID_WINDOW_CASCADE, "重ねて表示(&C)"),
                                       MenuCommand(ID_WINDOW_TILE_HORZ, "並べて表示(&T)"),
                                       MenuCommand(ID_WINDOW_ARRANGE, "ｱｲｺﾝの整列(&A)"),
                                       MenuCommand(ID_WINDOW_SPLIT, "分割(&P)"),
                                   });
}

MenuItem HelpMenu(const char* aboutText) {
    return MenuPopup("ﾍﾙﾌﾟ(&H)", {MenuCommand(ID_APP_ABOUT, aboutText)});
}

MenuItem NewElementPopup() {
    return MenuPopup("新規作成",
                     {MenuCommand(ID_NEW_STORAGE, "ｽﾄﾚｰｼﾞ"), MenuCommand(ID_NEW_STREAM, "ｽﾄﾘｰﾑ")});
}

// The number base and the columns of the typed value view, in the View menu and as the view's
// context menu. All seven carry a check mark here; the update handlers set the real marks.
MenuItem ValuePopup(const char* title) {
    return MenuPopup(title, {
                                MenuCommand(ID_VALUE_DECIMAL, "10進数", true),
                                MenuCommand(ID_VALUE_HEX, "16進数", true),
                                MenuSeparator(),
                                MenuCommand(ID_COLUMN_DEFINITION, "定義", true),
                                MenuCommand(ID_COLUMN_NAME, "変数名", true),
                                MenuCommand(ID_COLUMN_POSITION, "位置", true),
                                MenuCommand(ID_COLUMN_VALUE, "値", true),
                                MenuCommand(ID_COLUMN_COMMENT, "コメント", true),
                            });
}

// The typed value view's own menu adds going to the bytes of the value picked.
MenuItem ValueContextPopup() {
    MenuItem popup = ValuePopup("Context");
    popup.popup.push_back(MenuSeparator());
    popup.popup.push_back(MenuCommand(ID_VALUE_SHOW_BYTES, "表示位置へ移動"));
    return popup;
}

const MenuResource kMenus[] = {
    {IDR_MAINFRAME,
     {
         MenuPopup("ﾌｧｲﾙ(&F)", {MenuCommand(ID_FILE_NEW, "新規作成(&N)\tCtrl+N"),
                                MenuCommand(ID_FILE_OPEN, "開く(&O)...\tCtrl+O"), MenuSeparator(),
                                MenuCommand(ID_FILE_MRU_FILE1, "最新のﾌｧｲﾙ"), MenuSeparator(),
                                MenuCommand(ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)")}),
         BarItems({}),
         HelpMenu("ﾊﾞｰｼﾞｮﾝ情報(Kestrin)(&A)..."),
     }},
    {IDR_KESTRITYPE,
     {
         FileMenu(true),
         MenuPopup("編集(&E)", {NewElementPopup(), MenuCommand(ID_STREAM_RESIZE, "サイズ変更..."),
                                MenuSeparator(), MenuCommand(ID_EDIT_UNDO, "元に戻す(&U)\tCtrl+Z"),
                                MenuSeparator(), MenuCommand(ID_EDIT_CUT, "切り取り(&T)\tCtrl+X"),
                                MenuCommand(ID_EDIT_COPY, "ｺﾋﾟｰ(&C)\tCtrl+C"),
                                MenuCommand(ID_EDIT_PASTE, "貼り付け(&P)\tCtrl+V"),
                                MenuCommand(ID_ELEMENT_DELETE, "削除(&D)"), MenuSeparator(),
                                MenuCommand(ID_BYTE_EDIT, "1バイト編集..."), MenuSeparator(),
                                MenuCommand(ID_STREAM_IMPORT, "ｲﾝﾎﾟｰﾄ...(&I)"),
                                MenuCommand(ID_STREAM_EXPORT, "ｴｸｽﾎﾟｰﾄ...(&E)")}),
         BarItems({MenuSeparator(), MenuCommand(ID_PAGE_FIRST, "先頭(&R)"),
                   MenuCommand(ID_PAGE_PREV, "戻る(&B)"), MenuCommand(ID_PAGE_NEXT, "進む(&N)"),
                   MenuCommand(ID_PAGE_LAST, "最終(&F)"),
                   MenuCommand(ID_GOTO_POSITION, "指定位置へ移動...\tCtrl+G"), MenuSeparator(),
                   MenuCommand(ID_VIEW_LARGEICON, "大きいｱｲｺﾝ(&L)"),
                   MenuCommand(ID_VIEW_SMALLICON, "小さいｱｲｺﾝ(&I)"),
                   MenuCommand(ID_VIEW_DETAILS, "詳細(&D)"), MenuSeparator(),
                   ValuePopup("変数表示")}),
         WindowMenu(),
         HelpMenu("ﾊﾞｰｼﾞｮﾝ情報(Kestrin) (&A)..."),
     }},
    {IDR_STRMDEFTYPE,
     {
         FileMenu(false),
         MenuPopup("編集(&E)", {MenuCommand(ID_EDIT_UNDO, "元に戻す(&U)\tCtrl+Z"), MenuSeparator(),
                                MenuCommand(ID_EDIT_CUT, "切り取り(&T)\tCtrl+X"),
                                MenuCommand(ID_EDIT_COPY, "ｺﾋﾟｰ(&C)\tCtrl+C"),
                                MenuCommand(ID_EDIT_PASTE, "貼り付け(&P)\tCtrl+V"),
                                MenuCommand(ID_ELEMENT_DELETE, "削除(&D)")}),
         BarItems({}),
         WindowMenu(),
         HelpMenu("ﾊﾞｰｼﾞｮﾝ情報(Kestrin) (&A)..."),
     }},
    {IDR_VALUE_CONTEXT, {ValueContextPopup()}},
    {IDR_PAGE_CONTEXT,
     {
         MenuPopup("Context",
                   {MenuCommand(ID_EDIT_COPY, "ｺﾋﾟｰ(&C)\tCtrl+C"),
                    MenuCommand(ID_EDIT_PASTE, "貼り付け(&P)\tCtrl+V"), MenuSeparator(),
                    MenuCommand(ID_STREAM_RESIZE, "サイズ変更..."), MenuSeparator(),
                    MenuCommand(ID_PAGE_FIRST, "先頭(&R)"), MenuCommand(ID_PAGE_PREV, "戻る(&B)"),
                    MenuCommand(ID_PAGE_NEXT, "進む(&N)"), MenuCommand(ID_PAGE_LAST, "最終(&F)")}),
     }},
    {IDR_CONTEXT,
     {
         MenuPopup("Context", {NewElementPopup(), MenuCommand(ID_STREAM_RESIZE, "サイズ変更..."),
                               MenuSeparator(), MenuCommand(ID_EDIT_CUT, "切り取り(&T)\tCtrl+X"),
                               MenuCommand(ID_EDIT_COPY, "ｺﾋﾟｰ(&C)\tCtrl+C"),
                               MenuCommand(ID_EDIT_PASTE, "貼り付け(&P)\tCtrl+V"),
                               MenuCommand(ID_ELEMENT_DELETE, "削除(&D)")}),
     }},
};

} // namespace

std::span<const MenuResource> MenuTable() {
    return kMenus;
}
