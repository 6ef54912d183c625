// The fixed texts of the storage tree.
#pragma once

inline constexpr char16_t kTextErrorItem[] = u"エラー";
inline constexpr char16_t kBaseStorageName[] = u"新しいストレージ";
inline constexpr char16_t kBaseStreamName[] = u"新しいストリーム";
inline constexpr char16_t kMsgApiMisbehaved[] =
    u"Windows APIの不正な挙動を検出しました。\n"
    u"編集中のファイルを一旦保存し、ロードし直すことをお勧めします。";
