#include "base/layout_units.h"

#include <cstdint>

int MulDivRounded(int a, int b, int c) {
    if (c == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    const int64_t half = (c > 0 ? c : -static_cast<int64_t>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude = (product < 0 ? -product : product) + half;
    int64_t quotient = magnitude / (c > 0 ? c : -static_cast<int64_t>(c));
    if (negative)
        quotient = -quotient;
    if (quotient > INT32_MAX || quotient < INT32_MIN)
        return -1;
    return static_cast<int>(quotient);
}

int DialogUnitsToPixelsX(int units, int baseUnitX) {
    return MulDivRounded(units, baseUnitX, 4);
}

int DialogUnitsToPixelsY(int units, int baseUnitY) {
    return MulDivRounded(units, baseUnitY, 8);
}

DialogCorner DialogCornerOver(int ownerLeft, int ownerTop, int ownerWidth, int dialogWidth) {
    return {ownerLeft + (ownerWidth - dialogWidth) / 2, ownerTop + kDialogTopOffset};
}
