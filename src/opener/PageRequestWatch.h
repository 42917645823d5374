#pragma once

#include "opener/LaunchReadiness.h"

#include <QObject>
#include <QSet>
#include <memory>

// Tells when a starting browser has asked for the web page it was started with: a process of
// the launcher's session holds a TCP connection to that page's host and port. Measured with
// Firefox ESR and Chromium, on X11 and native Wayland, on a quiet machine and one loaded by a
// busy loop per core and a parallel build: once a starting browser has asked for its first
// page, an address handed to it straight away is shown once, in its one window. Before that, a
// window or socket of it is up seconds too early (see SessionQuietWatch), so this is the one sign
// that needs no settling.
//
// It is seen only for an http or https address whose host the program can resolve to the
// addresses the browser connects to: not through a proxy, nor for a page the browser takes from
// its cache; there the launch waits for its other signs and its settling. The host is looked up
// once the session holds a connection at all, on a thread of its own: the event loop never
// waits for the resolver, and a launch that connects nowhere (a running browser took the
// address) asks it nothing.
class PageRequestWatch : public LaunchReadiness {
public:
    PageRequestWatch();
    ~PageRequestWatch() override;
    PageRequestWatch(const PageRequestWatch&) = delete;
    PageRequestWatch& operator=(const PageRequestWatch&) = delete;

    // Watches for a connection to the one address the launcher was given, when it has one.
    void watch(pid_t launcher, const QList<QByteArray>& addresses,
               std::function<void()> onSign) override;
    bool meansReady() const override { return true; }
    void look(const QList<pid_t>& members) override;
    void stopWatching() override;

private:
    struct Lookup; // shared with the thread that resolves a host name

    void lookUpInBackground();

    std::function<void()> onSign_;
    QByteArray host_;
    quint16 port_ = 0;
    QSet<QByteArray> endpoints_;     // as /proc/net/tcp writes the far end; none until resolved
    std::shared_ptr<Lookup> lookup_; // none until the session connects somewhere
    QObject eventLoopContext_;       // where the resolving thread hands its answer over
};
