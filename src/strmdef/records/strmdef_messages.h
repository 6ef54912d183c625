// The fixed texts of the stream-definition document's message boxes.
#pragma once

inline constexpr char16_t kMsgForwardReference[] = u"前方参照になるので移動できません。";
inline constexpr char16_t kMsgDamagedStrmDef[] = u"ｽﾄﾘｰﾑ定義ﾌｧｲﾙが壊れています。";
