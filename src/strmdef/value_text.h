// The text a variable's value shows in the typed value view, and the bytes it needs. A base
// type shows the printf form of its little-endian bytes (hexadecimal on request, except for
// the sized __int types, which stay decimal); a char array shows its bytes as CP932 text up
// to the first zero byte; a struct shows nothing; a define shows what its definition shows.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdint>

class CTypeDef;
class CTypeSizes;
class CValDef;

// What a value needs from the stream at the variable's position.
struct ValuePlan {
    int baseId = -1;         // the base type whose value shows; -1: no value text at all
    bool text = false;       // a char array shown as text
    std::uint64_t bytes = 0; // bytes to read
    bool cut = false;        // a text longer than the view reads: the text shows it was cut
};

// The longest text a char array shows: a cell is not the place for megabytes of text.
inline constexpr std::uint64_t kMaxValueTextBytes = 1024;

// Follows defines down to the type that shows. A member of owner that leads back to owner has
// no value, nor does an array of no elements.
ValuePlan PlanValue(const CValDef& variable, const CTypeDef* owner, const CTypeSizes& sizes);
// bytes holds at least plan.bytes bytes.
QString ValueText(const ValuePlan& plan, QByteArrayView bytes, bool hex);
// One value of base type id (0 to 18) from its bytes.
QString BaseValueText(int baseId, const unsigned char* bytes, bool hex);
