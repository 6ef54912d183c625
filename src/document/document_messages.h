// The fixed texts of the compound-file document's message boxes.
#pragma once

inline constexpr char16_t kMsgNotStorageFile[] = u"ストレージファイルではありません。";
