#include "opener/LaunchBatch.h"

#include <algorithm>

qsizetype nextBatchSize(const QStringList& waiting, bool takesList) {
    if (!takesList)
        return std::min<qsizetype>(waiting.size(), 1);
    qsizetype count = 0;
    qsizetype bytes = 0;
    for (const QString& address : waiting) {
        bytes += address.toUtf8().size() + 1;
        if (count == LaunchBatch::maxAddresses || (count > 0 && bytes > LaunchBatch::maxBytes))
            break;
        ++count;
    }
    return count;
}
