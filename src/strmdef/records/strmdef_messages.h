// The fixed texts of the stream-definition document's message boxes.
#pragma once

inline constexpr char16_t kMsgForwardReference[] = u"前方参照になるので移動できません。";
inline constexpr char16_t kMsgDamagedStrmDef[] = u"ｽﾄﾘｰﾑ定義ﾌｧｲﾙが壊れています。";

// The checks of the editors' inputs and of a type before it is registered.
inline constexpr char16_t kMsgNoTypeChosen[] = u"型が選択されていません。";
inline constexpr char16_t kMsgBackwardReference[] = u"後方参照はポインタしかできません";
inline constexpr char16_t kMsgNoArraySize[] = u"サイズが指定されていません。";
inline constexpr char16_t kMsgNoMembers[] = u"内容が定義されていません。";
inline constexpr char16_t kMsgDefineOneLine[] = u"defineの場合は1行しか設定できません。";
// Our own: a size that starts with a digit is a count, and a count is a whole number that fits.
inline constexpr char16_t kMsgBadArraySize[] = u"サイズが正しくありません。";
// Our own: names and comments are kept in Shift-JIS, which cannot hold every character.
inline constexpr char16_t kMsgNotShiftJis[] = u"Shift-JISで表せない文字は使えません。";
// Our own: a type needs a name, and one of its own.
inline constexpr char16_t kMsgNoTypeName[] = u"型名が指定されていません。";
inline constexpr char16_t kMsgBaseTypeName[] = u"基本型の名前は使えません。";
inline constexpr char16_t kMsgDiscardChanges[] = u"登録されていない変更を破棄しますか？";
// DeleteType's refusals; %1 is the number of variables that name the type.
inline constexpr char16_t kMsgDeleteBaseType[] = u"基本型は削除できません。";
inline constexpr char16_t kMsgTypeInUse[] = u"削除できません。参照数 = %1";
