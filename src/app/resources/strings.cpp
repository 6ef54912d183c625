// The string table: titles, template strings, status-bar texts and command prompts
// ("status-bar prompt\ntool tip").
#include "resource_ids.h"
#include "resource_tables.h"

const StringResource kStringTable[] = {
    {IDR_MAINFRAME, "Kestrin"},
    {IDR_KESTRITYPE, "\nKestrin\nﾌｧｲﾙ編集\nﾌｧｲﾙ編集 (*.*)\n\nKestrin.Document\nKestri Document"},
    {IDR_STRMDEFTYPE, "\nｽﾄﾘｰﾑ定義ﾌｧｲﾙ\nｽﾄﾘｰﾑ定義ﾌｧｲﾙ\nｽﾄﾘｰﾑ定義ﾌｧｲﾙ (*.stm)\n.stm\n"
                      "Kestrin.Document\nKestri Document"},
    {AFX_IDS_APP_TITLE, "Kestrin"},
    {AFX_IDS_IDLEMESSAGE, "ﾚﾃﾞｨ"},
    {ID_INDICATOR_KANA, "ｶﾅ"},
    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},

    {ID_FILE_NEW, "新規にﾌｧｲﾙを作成\n新規ﾌｧｲﾙ"},
    {ID_FILE_OPEN, "既存のﾌｧｲﾙを開く\n開く"},
    {ID_FILE_CLOSE, "作業中のﾌｧｲﾙを閉じる\n閉じる"},
    {ID_FILE_SAVE, "作業中のﾌｧｲﾙを上書きして保存\n保存"},
    {ID_FILE_SAVE_AS, "作業中のﾌｧｲﾙを新しい名前で保存\n名前を付けて保存"},
    {ID_FILE_MRU_FILE1 + 0, "このﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 1, "このﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 2, "このﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 3, "このﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 4, "このﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 5, "このﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 6, "このﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 7, "このﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 8, "このﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 9, "このﾌｧｲﾙを開く"},
    {ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了"},
    {ID_APP_ABOUT, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそれに著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},
    {ID_EDIT_UNDO, "直前に行った動作を元に戻す\n元に戻す"},
    {ID_EDIT_CUT, "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに移動\n切り取り"},
    {ID_EDIT_COPY, "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\nｺﾋﾟｰ"},
    {ID_EDIT_PASTE, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け\n貼り付け"},
    {ID_WINDOW_NEW, "作業中のｳｨﾝﾄﾞｳを複写して表示\n新規ｳｨﾝﾄﾞｳ"},
    {ID_WINDOW_ARRANGE, "ｳｨﾝﾄﾞｳの下にｱｲｺﾝを整列\nｱｲｺﾝの整列"},
    {ID_WINDOW_CASCADE, "ｳｨﾝﾄﾞｳを重ねて表示\n重ねて表示"},
    {ID_WINDOW_TILE_HORZ, "ｳｨﾝﾄﾞｳを並べて表示\n並べて表示"},
    {ID_WINDOW_SPLIT, "作業中のｳｨﾝﾄﾞｳを分割\n分割"},
    {ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰの表示/非表示\nﾂｰﾙ ﾊﾞｰの表示/非表示"},
    {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示/非表示"},

    {ID_PAGE_FIRST, "ストリームの先頭へ移動\n先頭"},
    {ID_PAGE_PREV, "ストリームの前の256バイトへ移動\n戻る"},
    {ID_PAGE_NEXT, "ストリームの次の256バイトへ移動\n進む"},
    {ID_PAGE_LAST, "ストリームの最後へ移動\n最終"},
    {ID_ELEMENT_DELETE, "アイテムの削除\n削除"},
    {ID_BYTE_EDIT, "1バイト編集\n1バイト編集"},
    {ID_VIEW_LARGEICON, "大きいｱｲｺﾝで表示\n大きいｱｲｺﾝ"},
    {ID_VIEW_SMALLICON, "小さいｱｲｺﾝで表示\n小さいｱｲｺﾝ"},
    {ID_VIEW_DETAILS, "詳細を表示\n詳細"},
    {ID_STRMDEF_OPEN, "ｽﾄﾘｰﾑ定義を選ぶ。\nｽﾄﾘｰﾑ定義選択"},
    {ID_NEW_STORAGE, "ｽﾄﾚｰｼﾞを作成します。\nｽﾄﾚｰｼﾞ作成"},
    {ID_NEW_STREAM, "ｽﾄﾘｰﾑを作成します。\nｽﾄﾘｰﾑ作成"},
    {ID_STREAM_RESIZE, "ストリームのサイズを変更します。\nサイズ変更"},
    {ID_STRMDEF_PLACE, "dummy"},
    {ID_VALUE_DECIMAL, "変数の値を10進数で表示します。\n10進数"},
    {ID_VALUE_HEX, "変数の値を16進数で表示します。\n16進数"},
    {ID_COLUMN_DEFINITION, "「定義」列の表示/非表示を切り替えます。\n定義"},
    {ID_COLUMN_NAME, "「変数名」列の表示/非表示を切り替えます。\n変数名"},
    {ID_COLUMN_VALUE, "「値」列の表示/非表示を切り替えます。\n値"},
    {ID_COLUMN_POSITION, "「位置」列の表示/非表示を切り替えます。\n位置"},
    {ID_COLUMN_COMMENT, "「コメント」列の表示/非表示を切り替えます。\nコメント"},
    {ID_STREAM_IMPORT, "ﾌｧｲﾙをｽﾄﾘｰﾑとしてｲﾝﾎﾟｰﾄ\nｲﾝﾎﾟｰﾄ"},
    {ID_STREAM_EXPORT, "ｽﾄﾘｰﾑをﾌｧｲﾙにｴｸｽﾎﾟｰﾄ\nｴｸｽﾎﾟｰﾄ"},
};

std::span<const StringResource> StringTable() {
    return kStringTable;
}
