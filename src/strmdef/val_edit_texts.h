// The fixed texts of the typed value view.
#pragma once

#include <QChar>
#include <array>

// Column headers: definition, variable name, position, value, comment.
inline constexpr std::array<const char16_t*, 5> kValEditHeaders{u"定義", u"変数名", u"位置", u"値",
                                                                u"コメント"};

// The last child row of an expansion that shows only the first elements or members; %1 is
// the number not shown.
inline constexpr char16_t kValEditMoreRows[] = u"… 残り %1 個は表示されません";

// What a byte of a name or a text shows as when it starts no character or is a control byte:
// the hex dump's middle dot.
inline constexpr QChar kValEditNoCharacter(0xFF65);
