#pragma once

#include <QLatin1StringView>

// Where the program keeps its values in the settings store, and under which keys.
namespace SettingsKeys {
inline constexpr QLatin1StringView application{"Pellamark"};
inline constexpr QLatin1StringView section{"Corvantis"};
inline constexpr QLatin1StringView websites{"Websites"};
inline constexpr QLatin1StringView countOfWebsites{"No of Websites"};
// Where the close puts the list when "Websites" could not be read in full at start-up, and so
// must not be written over.
inline constexpr QLatin1StringView websitesBesideUnreadList{"Websites.new"};
// The lock file beside the list that the running program holds: one writer per list.
inline constexpr QLatin1StringView websitesLock{"Websites.lock"};
} // namespace SettingsKeys
