#include "opener/CountConversion.h"

#include "base/Failure.h"

#include <cmath>
#include <limits>

namespace {

Failure typeMismatch() {
    return Failure(QStringLiteral("Type mismatch"));
}
Failure overflow() {
    return Failure(QStringLiteral("Overflow"));
}

// Rounds to the nearest whole number, a half to the even neighbour, whatever rounding mode the
// floating-point unit happens to be in.
double roundHalfToEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

} // namespace

std::int32_t convertCount(const QString& text, const QLocale& locale) {
    const QString number = text.trimmed();
    if (number.isEmpty())
        throw typeMismatch();
    bool ok = false;
    const double value = locale.toDouble(number, &ok);
    if (!ok)
        throw std::isinf(value) ? overflow() : typeMismatch(); // an exponent too large for a double
    if (!std::isfinite(value))
        throw typeMismatch(); // "inf" and "nan" spelled out are not counts
    const double rounded = roundHalfToEven(value);
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max())
        throw overflow();
    return static_cast<std::int32_t>(rounded);
}
