// The fixed texts of the stream-definition document's message boxes.
#pragma once

inline constexpr char16_t kMsgForwardReference[] = u"前方参照になるので移動できません。";
inline constexpr char16_t kMsgDamagedStrmDef[] = u"ｽﾄﾘｰﾑ定義ﾌｧｲﾙが壊れています。";

// The type editor's checks of a member and of a type before it is registered.
inline constexpr char16_t kMsgNoTypeChosen[] = u"型が選択されていません。";
inline constexpr char16_t kMsgBackwardReference[] = u"後方参照はポインタしかできません";
inline constexpr char16_t kMsgNoArraySize[] = u"サイズが指定されていません。";
inline constexpr char16_t kMsgBadArraySize[] = u"サイズが正しくありません。";
inline constexpr char16_t kMsgNoMembers[] = u"内容が定義されていません。";
inline constexpr char16_t kMsgDefineOneLine[] = u"defineの場合は1行しか設定できません。";
inline constexpr char16_t kMsgNoTypeName[] = u"型名が指定されていません。";
inline constexpr char16_t kMsgBaseTypeName[] = u"基本型の名前は使えません。";
inline constexpr char16_t kMsgBadCharacter[] = u"使用できない文字が含まれています。";
inline constexpr char16_t kMsgDiscardChanges[] = u"登録されていない変更を破棄しますか？";
// DeleteType's refusals; %1 is the number of variables that name the type.
inline constexpr char16_t kMsgDeleteBaseType[] = u"基本型は削除できません。";
inline constexpr char16_t kMsgTypeInUse[] = u"削除できません。参照数 = %1";
