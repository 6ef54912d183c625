// The fixed texts of the storage tree.
#pragma once

inline constexpr char16_t kTextErrorItem[] = u"エラー";
inline constexpr char16_t kBaseStorageName[] = u"新しいストレージ";
inline constexpr char16_t kBaseStreamName[] = u"新しいストリーム";
inline constexpr char16_t kMsgApiMisbehaved[] =
    u"Windows APIの不正な挙動を検出しました。\n"
    u"編集中のファイルを一旦保存し、ロードし直すことをお勧めします。";

// Moving and copying elements.
inline constexpr char16_t kCopyPrefix[] = u"コピー～";
inline constexpr char16_t kCopyPrefixNumbered[] = u"コピー～(%1)";
inline constexpr char16_t kMsgOverwrite[] =
    u"移動先に同一名称のアイテムがあります。上書きしますか？";
inline constexpr char16_t kMsgMoveIntoItself[] = u"同一階層下への移動はできません。";
inline constexpr char16_t kTextTransfer[] = u"要素をコピーしています...";

// Importing files as streams and exporting streams to files.
inline constexpr char16_t kTitleImport[] = u"ﾌｧｲﾙをｲﾝﾎﾟｰﾄする";
inline constexpr char16_t kFilterImport[] = u"全てのﾌｧｲﾙ (*.*)|*.*||";
inline constexpr char16_t kTitleExport[] = u"ｽﾄﾘｰﾑをｴｸｽﾎﾟｰﾄする";
inline constexpr char16_t kFilterExport[] = u"全てのﾌｧｲﾙ (*.*)|*.*||";
inline constexpr char16_t kMsgFileOpenFailed[] = u"ファイルのオープンに失敗しました。";
inline constexpr char16_t kMsgFileWriteFailed[] = u"ファイルの書きこみに失敗しました。";
inline constexpr char16_t kMsgFileReadFailed[] = u"ファイルの読み込みに失敗しました。";
inline constexpr char16_t kMsgNoMemory[] = u"メモリが不足しています。処理を中断します。";
inline constexpr char16_t kTextImport[] = u"ファイルをインポートしています...";
inline constexpr char16_t kTextExport[] = u"ストリームをエクスポートしています...";
inline constexpr char16_t kTextGrowStream[] = u"ストリームを拡張しています...";
