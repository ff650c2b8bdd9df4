// The TLS session over a socket of the look-up's WinSock: what the engine
// has to send goes out with send, what arrived comes in with recv, neither
// waiting (the look-up's sockets are asynchronous; their events say when to
// pump again).
#pragma once

#include "player/lookup/winsock.h"
#include "player/tls/tls_core.h"

struct TlsSocket {
  const WinSock* ws;
  SOCKET socket;
};

// A transport over the socket, valid while the record lives.
TlsTransport TlsSocketTransport(TlsSocket* socket);
