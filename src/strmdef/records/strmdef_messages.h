// The fixed texts of the stream-definition document's message boxes.
#pragma once

inline constexpr char16_t kMsgForwardReference[] = u"前方参照になるので移動できません。";
inline constexpr char16_t kMsgDamagedStrmDef[] = u"ｽﾄﾘｰﾑ定義ﾌｧｲﾙが壊れています。";

// The variable inputs of the editors.
inline constexpr char16_t kMsgNoTypeChosen[] = u"型が選択されていません。";
inline constexpr char16_t kMsgNoArraySize[] = u"サイズが指定されていません。";
// Our own: a size that starts with a digit is a count, and a count is a whole number that fits.
inline constexpr char16_t kMsgBadArraySize[] = u"サイズが正しくありません。";
// Our own: names and comments are kept in Shift-JIS, which cannot hold every character.
inline constexpr char16_t kMsgNotShiftJis[] = u"Shift-JISで表せない文字は使えません。";
