#pragma once

#include <QLatin1StringView>

// Where the program keeps its values in the settings store, and under which keys.
namespace SettingsKeys {
inline constexpr QLatin1StringView application{"Pellamark"};
inline constexpr QLatin1StringView section{"Corvantis"};
inline constexpr QLatin1StringView websites{"Websites"};
inline constexpr QLatin1StringView countOfWebsites{"No of Websites"};
} // namespace SettingsKeys
