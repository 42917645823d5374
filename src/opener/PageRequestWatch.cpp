#include "opener/PageRequestWatch.h"

#include "opener/ProcessSockets.h"

#include <QMetaObject>
#include <QUrl>
#include <mutex>
#include <netdb.h>
#include <thread>
#include <utility>

// Shared by the watch and the thread that resolves: a watch that has stopped or gone before the
// thread ends is told of nothing.
struct PageRequestWatch::Lookup {
    std::mutex mutex;
    PageRequestWatch* watch = nullptr; // guarded by the mutex
};

namespace {

// The far ends a connection to `host` (a name or an address) and `port` may have. Blocks for as
// long as the resolver takes.
QSet<QByteArray> endpointsOf(const QByteArray& host, quint16 port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    QSet<QByteArray> endpoints;
    if (::getaddrinfo(host.constData(), nullptr, &hints, &found) != 0)
        return endpoints;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next)
        for (const QByteArray& endpoint : tableEndpoints(entry->ai_addr, port))
            endpoints.insert(endpoint);
    ::freeaddrinfo(found);
    return endpoints;
}

} // namespace

PageRequestWatch::PageRequestWatch() = default;

PageRequestWatch::~PageRequestWatch() {
    stopWatching();
}

void PageRequestWatch::watch(pid_t /*launcher*/, const QList<QByteArray>& addresses,
                             std::function<void()> onSign) {
    stopWatching();
    if (addresses.size() != 1)
        return;
    const QUrl page(QString::fromUtf8(addresses.first()), QUrl::StrictMode);
    const QString scheme = page.scheme().toLower();
    const int defaultPort = scheme == u"https" ? 443 : scheme == u"http" ? 80 : -1;
    if (defaultPort < 0 || page.host().isEmpty())
        return;
    onSign_ = std::move(onSign);
    // The host as the resolver takes it: an IPv6 address without its brackets, a name in ASCII.
    host_ = page.host(QUrl::EncodeUnicode).toLatin1();
    port_ = static_cast<quint16>(page.port(defaultPort));
}

void PageRequestWatch::lookUpInBackground() {
    lookup_ = std::make_shared<Lookup>();
    lookup_->watch = this;
    std::thread([lookup = lookup_, host = host_, port = port_] {
        QSet<QByteArray> endpoints = endpointsOf(host, port);
        const std::lock_guard lock(lookup->mutex);
        if (lookup->watch != nullptr)
            QMetaObject::invokeMethod(
                &lookup->watch->eventLoopContext_,
                [watch = lookup->watch, lookup, endpoints = std::move(endpoints)] {
                    if (watch->lookup_ == lookup) // not stopped since
                        watch->endpoints_ = endpoints;
                },
                Qt::QueuedConnection);
    }).detach();
}

void PageRequestWatch::look(const QList<pid_t>& members) {
    if (!onSign_)
        return;
    const QSet<QByteArray> farEnds = connectionsOf(members);
    if (farEnds.isEmpty())
        return;
    if (!lookup_)
        lookUpInBackground(); // the first connection: the page's is among the next if not this
    else if (farEnds.intersects(endpoints_))
        std::exchange(onSign_, {})();
}

void PageRequestWatch::stopWatching() {
    if (lookup_) {
        const std::lock_guard lock(lookup_->mutex);
        lookup_->watch = nullptr;
    }
    lookup_.reset();
    onSign_ = {};
    endpoints_.clear();
}
