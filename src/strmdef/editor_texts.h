// The labels and button captions of the stream-definition editors: the type editor and the
// layout editor, whose variable inputs and buttons are alike.
#pragma once

inline constexpr char16_t kLabelTypeName[] = u"型名";
inline constexpr char16_t kLabelMemberType[] = u"型";
inline constexpr char16_t kLabelMemberName[] = u"名称";
inline constexpr char16_t kLabelComment[] = u"ｺﾒﾝﾄ";
inline constexpr char16_t kCaptionDefine[] = u"define";
inline constexpr char16_t kCaptionStruct[] = u"struct";
inline constexpr char16_t kCaptionPointer[] = u"ﾎﾟｲﾝﾀ";
inline constexpr char16_t kCaptionArray[] = u"配列";
inline constexpr char16_t kCaptionAdd[] = u"追加";
inline constexpr char16_t kCaptionUpdate[] = u"更新";
inline constexpr char16_t kCaptionInsert[] = u"挿入";
inline constexpr char16_t kCaptionDelete[] = u"削除";
inline constexpr char16_t kCaptionNew[] = u"新規";
inline constexpr char16_t kCaptionCopy[] = u"複写";
inline constexpr char16_t kCaptionUp[] = u"△";
inline constexpr char16_t kCaptionDown[] = u"▽";
inline constexpr char16_t kCaptionRegister[] = u"≪";
inline constexpr char16_t kCaptionDeleteType[] = u"X";
