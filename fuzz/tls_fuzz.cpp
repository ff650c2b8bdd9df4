// libFuzzer target for what the TLS client takes from outside: the input
// as the server's side of a session (records, fed as the engine asks for
// them; its certificates pass the purpose check), as one certificate whose
// purpose is read, as a typed server name, and as a roots file. No input
// can bring application data out of a session whose server never proved
// itself, every session ends (failed) once the input is spent, a name
// taken is a name, and the roots read stay within their block.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "player/tls/tls_core.h"
#include "player/tls/tls_roots.h"

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "tls_fuzz: %s\n", what);
  abort();
}

struct Input {
  const uint8_t* data;
  size_t size;
  size_t at;
};

long Send(void*, const unsigned char*, size_t size) { return static_cast<long>(size); }

long Receive(void* context, unsigned char* data, size_t size) {
  Input* input = static_cast<Input*>(context);
  if (input->at >= input->size) return kTransportClosed;
  size_t n = input->size - input->at < size ? input->size - input->at : size;
  memcpy(data, input->data + input->at, n);
  input->at += n;
  return static_cast<long>(n);
}

bool Inside(const unsigned char* p, size_t n, const TlsRoots& roots, size_t size) {
  return p >= roots.bytes && p + n <= roots.bytes + size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TlsClient client;
  static const char kRequest[] = "GET / HTTP/1.0\r\n\r\n";
  static const unsigned char kSeed[kTlsSeedSize] = {1, 2, 3};
  const TlsTime now = TlsTimeFromUnix(1811808000);
  Check(TlsStart(&client, "musicbrainz.org", kBuiltInRoots, kBuiltInRootCount, now, kSeed, kRequest,
                 sizeof kRequest - 1) == 1,
        "start");
  Input input = {data, size, 0};
  TlsTransport transport = {&input, Send, Receive};
  char answer[256];
  size_t length = 0;
  int progress = kTlsWaiting;
  for (int round = 0; round < 100000 && progress == kTlsWaiting; ++round)
    progress = TlsPump(&client, &transport, answer, &length, sizeof answer);
  Check(progress == kTlsFailed, "a session that did not fail");
  Check(length == 0, "application data from an unproven server");
  char text[256];
  FormatTlsFailure("%s %s", TlsFailureOf(&client, now), "musicbrainz.org", now, TlsError(&client), text,
                   sizeof text);
  Check(memchr(text, 0, sizeof text) != nullptr, "message not terminated");
  TlsEnd(&client);

  int purpose = TlsCertificatePurpose(data, size);
  Check(purpose >= kTlsPurposeUnrestricted && purpose <= kTlsPurposeUnreadable, "purpose");
  Check(size <= kTlsMaxServerCertificate || purpose == kTlsPurposeUnreadable, "a certificate past the limit read");

  char typed[kTlsMaxServerName + 8];
  size_t typedLength = size < sizeof typed - 1 ? size : sizeof typed - 1;
  memcpy(typed, data, typedLength);
  typed[typedLength] = '\0';
  char name[kTlsMaxServerName + 1];
  if (TlsServerName(typed, name, sizeof name) == kTlsServerName) {
    size_t length = strlen(name);
    Check(length > 0 && length <= kTlsMaxServerName && name[length - 1] != '.' && name[0] != '.', "name taken");
    Check(strncmp(name, typed, length) == 0 && strspn(name, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                            "0123456789-_.") == length,
          "name changed");
  }

  TlsRoots roots;
  size_t count = ReadTlsRoots(reinterpret_cast<const char*>(data), size, &roots);
  Check(count <= kTlsMaxRoots && count == roots.count, "root count");
  for (size_t i = 0; i < count; ++i) {
    const br_x509_trust_anchor& a = roots.anchors[i];
    Check(Inside(a.dn.data, a.dn.len, roots, size), "name outside the block");
    if (a.pkey.key_type == BR_KEYTYPE_RSA)
      Check(Inside(a.pkey.key.rsa.n, a.pkey.key.rsa.nlen, roots, size) &&
                Inside(a.pkey.key.rsa.e, a.pkey.key.rsa.elen, roots, size),
            "key outside the block");
    else
      Check(Inside(a.pkey.key.ec.q, a.pkey.key.ec.qlen, roots, size), "key outside the block");
  }
  FreeTlsRoots(&roots);
  return 0;
}
