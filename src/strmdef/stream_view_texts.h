// The fixed texts of the stream layout editor's form.
#pragma once

// Labels and check boxes of the variable inputs.
inline constexpr char16_t kStreamLabelType[] = u"型";
inline constexpr char16_t kStreamLabelName[] = u"名称";
inline constexpr char16_t kStreamLabelComment[] = u"ｺﾒﾝﾄ";
inline constexpr char16_t kStreamCheckPointer[] = u"ﾎﾟｲﾝﾀ";
inline constexpr char16_t kStreamCheckArray[] = u"配列";

// Button captions; the add button reads "更新" while a line is selected for update.
inline constexpr char16_t kStreamAdd[] = u"追加";
inline constexpr char16_t kStreamUpdate[] = u"更新";
inline constexpr char16_t kStreamInsert[] = u"挿入";
inline constexpr char16_t kStreamDelete[] = u"削除";
inline constexpr char16_t kStreamNew[] = u"新規";
inline constexpr char16_t kStreamCopy[] = u"複写";
inline constexpr char16_t kStreamUp[] = u"△";
inline constexpr char16_t kStreamDown[] = u"▽";
