#include "opener/HandOverRule.h"

std::optional<Shell::HandOff> refusedHandOff(const QString& address) {
    // xdg-open would read an address that begins with "-" as an option of its own.
    if (address.startsWith(QLatin1Char('-')))
        return Shell::HandOff::notAnAddress;
    return std::nullopt;
}
