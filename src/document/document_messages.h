// The fixed texts of the compound-file document's message boxes.
#pragma once

inline constexpr char16_t kMsgNotStorageFile[] = u"ストレージファイルではありません。";
inline constexpr char16_t kMsgReadOnly[] = u"リードオンリーです。ファイル名を変更してください。";
inline constexpr char16_t kTextCopyingFile[] = u"ファイルのコピーを作成しています...";
inline constexpr char16_t kMsgLoadFailed[] = u"読み込みに失敗しました。";
