// The TLS session over a WinSock socket (see tls_socket.h).
#include "player/lookup/tls_socket.h"

namespace {

// A count for WinSock, which takes an int; the engine's buffers are far smaller.
int Count(size_t size) { return size < 0x7FFFFFFF ? static_cast<int>(size) : 0x7FFFFFFF; }

long Send(void* context, const unsigned char* data, size_t size) {
  const TlsSocket* s = static_cast<const TlsSocket*>(context);
  int n = s->ws->send(s->socket, reinterpret_cast<const char*>(data), Count(size), 0);
  if (n == SOCKET_ERROR) return s->ws->lastError() == WSAEWOULDBLOCK ? kTransportBlocked : kTransportFailed;
  return n;
}

long Receive(void* context, unsigned char* data, size_t size) {
  const TlsSocket* s = static_cast<const TlsSocket*>(context);
  int n = s->ws->recv(s->socket, reinterpret_cast<char*>(data), Count(size), 0);
  if (n == 0) return kTransportClosed;
  if (n == SOCKET_ERROR) return s->ws->lastError() == WSAEWOULDBLOCK ? kTransportBlocked : kTransportFailed;
  return n;
}

}  // namespace

TlsTransport TlsSocketTransport(TlsSocket* socket) { return TlsTransport{socket, Send, Receive}; }
