#include "opener/HandOverRule.h"

std::optional<Shell::HandOff> refusedHandOff(const QString& address) {
    // xdg-open would read an address that begins with "-" as an option of its own.
    if (address.startsWith(QLatin1Char('-')))
        return Shell::HandOff::notAnAddress;
    // The launcher's argument is a C string: it would end at the NUL, a different address.
    if (address.contains(QChar(u'\0')))
        return Shell::HandOff::holdsNul;
    return std::nullopt;
}
