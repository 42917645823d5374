#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <sys/socket.h>
#include <sys/types.h>

// What the sockets of a launch's processes say of the program they belong to, read from /proc.

// Whether any of `processes` holds a listening Unix socket bound to a path: the channel over
// which a second start of a single-instance program hands its arguments to the first
// (Chromium's SingletonSocket), or a Wayland client's proxy to its compositor (Firefox's).
bool holdsListeningSocket(const QList<pid_t>& processes);

// An address and port as /proc/net/tcp and tcp6 write a connection's ends: "0100007F:1F90" for
// 127.0.0.1 port 8080 (the address as the kernel holds it, word by word in the machine's byte
// order). An IPv4 address gives its IPv4-mapped IPv6 form as well, as a dual-stack socket shows
// it. Empty for any other family.
QList<QByteArray> tableEndpoints(const sockaddr* address, quint16 port);

// The far ends (as tableEndpoints writes them) of the TCP sockets, connected or connecting, that
// `processes` hold.
QSet<QByteArray> connectionsOf(const QList<pid_t>& processes);
