#pragma once

#include <QStringList>

// How many of the addresses waiting for a browser go in its next launch, from the first on:
// one where its entry takes one address (%u); where it takes a list (%U), as many as fit in
// maxAddresses and maxBytes together, and always at least one. The kernel refuses a command line
// past ARG_MAX (2 MiB with the environment on Debian), and a run of thousands of picks queues
// thousands of addresses while one launch is under way.
qsizetype nextBatchSize(const QStringList& waiting, bool takesList);

namespace LaunchBatch {
constexpr qsizetype maxAddresses = 64;
constexpr qsizetype maxBytes = qsizetype{64} * 1024; // UTF-8, each with its terminating NUL
} // namespace LaunchBatch
