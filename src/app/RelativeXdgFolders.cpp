#include "app/RelativeXdgFolders.h"

#include <QString>
#include <QtGlobal>

void dropRelativeXdgFolders() {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME",
                             "XDG_RUNTIME_DIR"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty() && !value.startsWith(QLatin1Char('/')))
            qunsetenv(name);
    }
}
