// The TLS client of the online look-up, without the platform: BearSSL's
// engine set to one small profile (TLS 1.2 only; ECDHE with RSA or ECDSA
// certificates on P-256 and P-384; AES-128/256-GCM and ChaCha20-Poly1305;
// the server name sent and checked; full 16 KB records; no ALPN), driven
// without blocking over any transport that can send and receive; the
// certificates' purpose (Extended Key Usage), which BearSSL's minimal
// engine does not check; trusted roots read from PEM text; and the words
// for what went wrong. The engine is BearSSL's; the rest is glue.
#pragma once

#include <bearssl.h>

#include <cstddef>
#include <cstdint>

enum {
  kTlsSeedSize = 32,
  kTlsRootsFileLimit = 512 * 1024,  // bytes of a roots file (Debian's whole bundle is 217 KB)
  kTlsMaxRoots = 256,
  kTlsMaxCertificate = 8192,  // bytes of one certificate in a roots file
  // Bytes of one certificate of the server's chain kept to read its purpose.
  // Public authorities' largest certificates (a few hundred names and a
  // 4096-bit key) stay near 10 KB, and one is kept at a time, beside the
  // session's 33 KB of record buffers. A certificate of the chain past this
  // is refused (BR_ERR_X509_LIMIT_EXCEEDED), never passed unread.
  kTlsMaxServerCertificate = 16384,
  kTlsMaxServerName = 253,  // characters of a DNS name, without a trailing dot
};

// The engine's error when a certificate of the chain is not meant for a
// server; outside BearSSL's codes (below 64, and 256 or 512 plus an alert).
const int kTlsErrorWrongPurpose = 1024;

// A moment as the certificate check counts it (UTC): days since 1 January
// of the year 0 of the Gregorian calendar, and seconds since midnight.
struct TlsTime {
  uint32_t days;
  uint32_t seconds;
};

// The moment of a count of seconds since 1 January 1970.
TlsTime TlsTimeFromUnix(int64_t seconds);

// Trusted roots read from a file. They own their memory.
struct TlsRoots {
  br_x509_trust_anchor* anchors;
  size_t count;
  unsigned char* bytes;  // every root's name and key
};

// Reads the certificates of PEM text (at most kTlsRootsFileLimit bytes) as
// trusted roots: each CERTIFICATE object whose certificate decodes, with an
// RSA or EC key, counts; others are passed over. Text that is not PEM gives
// none. Returns the number read; with none, nothing is held.
size_t ReadTlsRoots(const char* text, size_t size, TlsRoots* roots);
void FreeTlsRoots(TlsRoots* roots);

// What a certificate (DER, at most kTlsMaxServerCertificate bytes) may be
// used for, by its Extended Key Usage extension.
enum TlsPurpose {
  kTlsPurposeUnrestricted,  // it has no Extended Key Usage
  kTlsPurposeServer,        // it lists serverAuth or anyExtendedKeyUsage
  kTlsPurposeOther,         // it lists neither
  kTlsPurposeUnreadable,    // not DER as a certificate has it, the extension twice, or too large
};
int TlsCertificatePurpose(const unsigned char* der, size_t size);

// What a typed server name is to a secure connection. The certificate
// engine checks names only, and RFC 6066 forbids sending an address as the
// server's name: an address cannot be checked, and is refused.
enum TlsServerKind {
  kTlsServerName,      // a DNS name: name holds it without its trailing dot
  kTlsServerAddress,   // an IPv4 address in any form a resolver takes, or an IPv6 one
  kTlsServerUnusable,  // empty, too long, an empty label, or a character no name has
};
// Classifies typed and, for a name, writes it to name (size at least
// kTlsMaxServerName + 1) without a trailing dot ("musicbrainz.org." is
// "musicbrainz.org").
int TlsServerName(const char* typed, char* name, size_t size);

// The X.509 engine the session uses: BearSSL's minimal engine, which it
// wraps and calls for everything, and the purpose of each certificate the
// minimal engine takes into the chain (up to the one a trusted root
// signed; those sent after it are not part of the path). Every one that
// has an Extended Key Usage must allow serving (serverAuth or
// anyExtendedKeyUsage): a server's certificate meant only for clients, or
// one issued under an authority limited to e-mail, is refused.
struct TlsChainCheck {
  const br_x509_class* vtable;  // first: BearSSL calls through it
  br_x509_minimal_context* inner;
  unsigned char certificate[kTlsMaxServerCertificate];  // the one being received
  size_t length;
  int tooLarge;
  int inPath;  // the minimal engine reads this certificate
  int error;   // the first certificate refused, as an engine error; 0 none
};

// How a transport answers; a positive count is the bytes moved.
enum TransportResult {
  kTransportBlocked = 0,   // nothing can move now; an event will say when
  kTransportClosed = -1,   // the peer closed the connection (receiving only)
  kTransportFailed = -2,
};

// The connection under the TLS session.
struct TlsTransport {
  void* context;
  long (*send)(void* context, const unsigned char* data, size_t size);
  long (*receive)(void* context, unsigned char* data, size_t size);
};

// One connection's TLS session, with room for a full record each way.
struct TlsClient {
  br_ssl_client_context ssl;
  br_x509_minimal_context x509;
  TlsChainCheck chain;  // around x509
  br_ec_impl curves;  // BearSSL's, limited to P-256 and P-384
  unsigned char input[BR_SSL_BUFSIZE_INPUT];
  unsigned char output[BR_SSL_BUFSIZE_OUTPUT];
  const char* request;  // sent once the handshake is done
  size_t requestLength;
  size_t requestSent;
  int opened;     // the handshake was done
  int peerClosed;
  int lost;       // the transport failed, or closed before the request went out
  int nameRefused;  // TlsStart was given no server name it could check
  unsigned char firstBytes[2];  // what the server sent first
  size_t firstCount;
};

// Starts a session with the server of that name (sent, and checked against
// its certificate, without a trailing dot), whose chain must lead to one of
// the roots, valid at the moment now. The seed (kTlsSeedSize random bytes)
// makes its keys. The request (kept by the caller until the session ends)
// goes out once the handshake is done. Returns 0, nothing sent, for an
// address or anything else TlsServerName does not take as a name
// (TlsFailureOf then says kTlsNeedsName).
int TlsStart(TlsClient* client, const char* host, const br_x509_trust_anchor* roots, size_t rootCount,
             TlsTime now, const unsigned char* seed, const char* request, size_t requestLength);

enum TlsProgress {
  kTlsWaiting,  // for the transport: call again at its next event
  kTlsEnded,    // the server ended the session (the answer may still be cut)
  kTlsFailed,   // see TlsFailureOf
  kTlsFull,     // the answer filled its buffer
};

// Moves what can move without blocking: the engine's records out to the
// transport, what the transport received into the engine, the request in
// and the decrypted answer out, appended to answer[*length..size).
int TlsPump(TlsClient* client, const TlsTransport* transport, char* answer, size_t* length, size_t size);

// Why a session failed, as the user is told.
enum TlsFailure {
  kTlsConnectionLost,
  kTlsClockWrong,        // the computer's clock is before this program was made
  kTlsCertificateDates,  // the certificate is not valid at the computer's date
  kTlsWrongName,
  kTlsUntrusted,
  kTlsWrongPurpose,   // a certificate of the chain is not meant for a web server
  kTlsNoCommonSuite,  // the server wants what this client does not offer
  kTlsNotSecureServer,  // the server answered, but not in TLS (plain HTTP)
  kTlsNeedsName,        // the server was given as an address (or not as a name)
  kTlsProtocolError,
  kTlsFailureCount,
};
int TlsFailureOf(const TlsClient* client, TlsTime now);
// The engine's own error code (0 when the transport failed).
int TlsError(const TlsClient* client);

// The message for a failure. format is the failure's text from the
// program's string table; each "%s" in it takes in turn what the failure
// names: the server, then for kTlsCertificateDates the date of the
// computer's clock (now) and for kTlsProtocolError the engine's error code;
// kTlsClockWrong names only the date.
void FormatTlsFailure(const char* format, int failure, const char* server, TlsTime now, int error, char* out,
                      size_t size);

// Overwrites the whole session (its keys, the master secret, the random
// generator's state, the records) before its memory is freed or reused.
void TlsEnd(TlsClient* client);
// Overwrites memory that held secrets (a seed) in a way the compiler
// keeps: SecureZeroMemory is not on every Windows.
void TlsWipe(void* data, size_t size);
