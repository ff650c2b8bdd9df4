#include "player/tls/tls_core.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const uint32_t kDaysTo1970 = 719528;  // from 1 January of the year 0
// 1 January 2026, before this program was made: a clock earlier than that
// is wrong, whatever a certificate says.
const uint32_t kEarliestPlausibleDays = 739982;

// The suites of the profile, ChaCha20 first: it is the fastest on
// processors without AES instructions, the oldest ones.
const uint16_t kSuites[] = {
    BR_TLS_ECDHE_ECDSA_WITH_CHACHA20_POLY1305_SHA256, BR_TLS_ECDHE_RSA_WITH_CHACHA20_POLY1305_SHA256,
    BR_TLS_ECDHE_ECDSA_WITH_AES_128_GCM_SHA256,       BR_TLS_ECDHE_RSA_WITH_AES_128_GCM_SHA256,
    BR_TLS_ECDHE_ECDSA_WITH_AES_256_GCM_SHA384,       BR_TLS_ECDHE_RSA_WITH_AES_256_GCM_SHA384,
};

// Alerts a server sends when it wants what the client does not offer.
const int kAlertHandshakeFailure = 40;
const int kAlertProtocolVersion = 70;
const int kAlertInsufficientSecurity = 71;

// A growing store of the roots' names and keys, within the block it was given.
struct Store {
  unsigned char* bytes;
  size_t used;
  size_t size;
  bool full;
};

unsigned char* Keep(Store* store, const void* data, size_t n) {
  if (store->full || n > store->size - store->used) {
    store->full = true;
    return nullptr;
  }
  unsigned char* kept = store->bytes + store->used;
  memcpy(kept, data, n);
  store->used += n;
  return kept;
}

void KeepName(void* context, const void* data, size_t n) { Keep(static_cast<Store*>(context), data, n); }

// One certificate's bytes, as the PEM decoder gives them.
struct Certificate {
  unsigned char bytes[kTlsMaxCertificate];
  size_t length;
  bool tooLong;
};

void AppendCertificate(void* context, const void* data, size_t n) {
  Certificate* c = static_cast<Certificate*>(context);
  if (c->tooLong || n > sizeof c->bytes - c->length) {
    c->tooLong = true;
    return;
  }
  memcpy(c->bytes + c->length, data, n);
  c->length += n;
}

// Decodes a certificate into a root; false (and nothing kept) when it does
// not decode or its key does not fit.
bool AddRoot(const Certificate* certificate, Store* store, br_x509_trust_anchor* root) {
  size_t mark = store->used;
  br_x509_decoder_context decoder;
  br_x509_decoder_init(&decoder, KeepName, store);
  br_x509_decoder_push(&decoder, certificate->bytes, certificate->length);
  const br_x509_pkey* key = br_x509_decoder_get_pkey(&decoder);
  memset(root, 0, sizeof *root);
  if (key && !store->full) {
    root->dn.data = store->bytes + mark;
    root->dn.len = store->used - mark;
    root->flags = br_x509_decoder_isCA(&decoder) ? BR_X509_TA_CA : 0;
    root->pkey.key_type = key->key_type;
    if (key->key_type == BR_KEYTYPE_RSA) {
      root->pkey.key.rsa.n = Keep(store, key->key.rsa.n, key->key.rsa.nlen);
      root->pkey.key.rsa.nlen = key->key.rsa.nlen;
      root->pkey.key.rsa.e = Keep(store, key->key.rsa.e, key->key.rsa.elen);
      root->pkey.key.rsa.elen = key->key.rsa.elen;
    } else {
      root->pkey.key.ec.curve = key->key.ec.curve;
      root->pkey.key.ec.q = Keep(store, key->key.ec.q, key->key.ec.qlen);
      root->pkey.key.ec.qlen = key->key.ec.qlen;
    }
    if (!store->full) return true;
  }
  store->used = mark;
  store->full = false;
  return false;
}

size_t Minimum(size_t a, size_t b) { return a < b ? a : b; }

// The civil date of a count of days since 1970 (days before it are not
// needed: a clock cannot say them).
void CivilDate(uint32_t days, int* year, int* month, int* day) {
  uint32_t era = (days + 719468) / 146097;
  uint32_t dayOfEra = days + 719468 - era * 146097;
  uint32_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  uint32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  uint32_t monthIndex = (5 * dayOfYear + 2) / 153;
  *day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  *month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2 ? 1 : 0));
}

// One DER element at *at, within end: its tag and contents. False when
// its header or contents would pass end, its length is indefinite or
// takes more than 4 bytes, or its tag takes more than one byte (no field
// of a certificate has such a tag).
bool Element(const unsigned char** at, const unsigned char* end, unsigned char* tag, const unsigned char** body,
             size_t* length) {
  const unsigned char* p = *at;
  if (end - p < 2 || (p[0] & 0x1F) == 0x1F) return false;
  *tag = p[0];
  size_t n = p[1];
  p += 2;
  if (n & 0x80) {
    size_t bytes = n & 0x7F;
    if (bytes == 0 || bytes > 4 || static_cast<size_t>(end - p) < bytes) return false;
    n = 0;
    while (bytes--) n = n << 8 | *p++;
  }
  if (n > static_cast<size_t>(end - p)) return false;
  *body = p;
  *length = n;
  *at = p + n;
  return true;
}

bool SameOid(const unsigned char* oid, size_t length, const unsigned char* expected, size_t expectedLength) {
  return length == expectedLength && memcmp(oid, expected, length) == 0;
}

const unsigned char kExtendedKeyUsage[] = {0x55, 0x1D, 0x25};                                // 2.5.29.37
const unsigned char kAnyExtendedKeyUsage[] = {0x55, 0x1D, 0x25, 0x00};                       // 2.5.29.37.0
const unsigned char kServerAuth[] = {0x2B, 0x06, 0x01, 0x05, 0x05, 0x07, 0x03, 0x01};  // 1.3.6.1.5.5.7.3.1

// The purposes an Extended Key Usage lists: a SEQUENCE of OBJECT IDENTIFIERs.
int ListedPurposes(const unsigned char* value, size_t size) {
  const unsigned char* at = value;
  const unsigned char* end = value + size;
  unsigned char tag;
  const unsigned char* list;
  size_t length;
  if (!Element(&at, end, &tag, &list, &length) || tag != 0x30 || at != end) return kTlsPurposeUnreadable;
  int purpose = kTlsPurposeOther;
  for (at = list, end = list + length; at < end;) {
    const unsigned char* oid;
    if (!Element(&at, end, &tag, &oid, &length) || tag != 0x06) return kTlsPurposeUnreadable;
    if (SameOid(oid, length, kServerAuth, sizeof kServerAuth) ||
        SameOid(oid, length, kAnyExtendedKeyUsage, sizeof kAnyExtendedKeyUsage))
      purpose = kTlsPurposeServer;
  }
  return purpose;
}

// The X.509 engine of the session (TlsChainCheck): each call goes on to
// the minimal engine.
TlsChainCheck* ChainOf(const br_x509_class** context) { return reinterpret_cast<TlsChainCheck*>(context); }

const br_x509_class** Inner(TlsChainCheck* chain) { return &chain->inner->vtable; }

void ChainStart(const br_x509_class** context, const char* serverName) {
  TlsChainCheck* chain = ChainOf(context);
  chain->error = 0;
  br_x509_minimal_vtable.start_chain(Inner(chain), serverName);
}

void CertificateStart(const br_x509_class** context, uint32_t length) {
  TlsChainCheck* chain = ChainOf(context);
  // Once its err is set (BearSSL 0.6's context), the minimal engine has
  // decided on the chain and passes over the certificates that follow.
  chain->inPath = chain->inner->err == 0;
  chain->length = 0;
  chain->tooLarge = length > sizeof chain->certificate;
  br_x509_minimal_vtable.start_cert(Inner(chain), length);
}

void CertificateAppend(const br_x509_class** context, const unsigned char* data, size_t size) {
  TlsChainCheck* chain = ChainOf(context);
  if (chain->inPath && !chain->tooLarge) {
    if (size <= sizeof chain->certificate - chain->length) {
      memcpy(chain->certificate + chain->length, data, size);
      chain->length += size;
    } else {
      chain->tooLarge = 1;
    }
  }
  br_x509_minimal_vtable.append(Inner(chain), data, size);
}

void CertificateEnd(const br_x509_class** context) {
  TlsChainCheck* chain = ChainOf(context);
  br_x509_minimal_vtable.end_cert(Inner(chain));
  if (!chain->inPath || chain->error) return;
  if (chain->tooLarge) {
    chain->error = BR_ERR_X509_LIMIT_EXCEEDED;
    return;
  }
  switch (TlsCertificatePurpose(chain->certificate, chain->length)) {
    case kTlsPurposeOther: chain->error = kTlsErrorWrongPurpose; break;
    case kTlsPurposeUnreadable: chain->error = BR_ERR_X509_INVALID_VALUE; break;
  }
}

// The minimal engine's verdict first: a chain that leads nowhere, or ran
// out, is that before its purpose matters.
unsigned ChainEnd(const br_x509_class** context) {
  TlsChainCheck* chain = ChainOf(context);
  unsigned error = br_x509_minimal_vtable.end_chain(Inner(chain));
  return error ? error : static_cast<unsigned>(chain->error);
}

const br_x509_pkey* ChainKey(const br_x509_class* const* context, unsigned* usages) {
  const TlsChainCheck* chain = reinterpret_cast<const TlsChainCheck*>(context);
  return br_x509_minimal_vtable.get_pkey(&chain->inner->vtable, usages);
}

const br_x509_class kChainCheckClass = {
    sizeof(TlsChainCheck), ChainStart, CertificateStart, CertificateAppend, CertificateEnd, ChainEnd, ChainKey,
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A label a resolver reads as a number (decimal, or hex after "0x"): a
// name whose last label is one is an IPv4 address to WinSock, whatever
// its other labels (no top-level domain is a number).
bool NumericLabel(const char* label, size_t length) {
  size_t at = 0;
  bool hex = length >= 2 && label[0] == '0' && (label[1] == 'x' || label[1] == 'X');
  if (hex) at = 2;
  for (; at < length; ++at)
    if (hex ? !IsHexDigit(label[at]) : !IsDigit(label[at])) return false;
  return length > 0;
}

void FormatDate(TlsTime now, char* out, size_t size) {
  static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  int year = 1970, month = 1, day = 1;
  if (now.days >= kDaysTo1970) CivilDate(now.days - kDaysTo1970, &year, &month, &day);
  snprintf(out, size, "%d %s %d", day, kMonths[month - 1], year);
}

}  // namespace

TlsTime TlsTimeFromUnix(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  return TlsTime{static_cast<uint32_t>(seconds / 86400) + kDaysTo1970, static_cast<uint32_t>(seconds % 86400)};
}

int TlsCertificatePurpose(const unsigned char* der, size_t size) {
  if (size > kTlsMaxServerCertificate) return kTlsPurposeUnreadable;
  // Certificate ::= SEQUENCE { tbsCertificate SEQUENCE { ..., [3] Extensions }, ... }
  const unsigned char* at = der;
  unsigned char tag;
  const unsigned char *certificate, *tbs;
  size_t length;
  if (!Element(&at, der + size, &tag, &certificate, &length) || tag != 0x30) return kTlsPurposeUnreadable;
  at = certificate;
  if (!Element(&at, certificate + length, &tag, &tbs, &length) || tag != 0x30) return kTlsPurposeUnreadable;
  int purpose = kTlsPurposeUnrestricted;
  bool seen = false;
  for (const unsigned char *field = tbs, *tbsEnd = tbs + length; field < tbsEnd;) {
    const unsigned char* fieldBody;
    if (!Element(&field, tbsEnd, &tag, &fieldBody, &length)) return kTlsPurposeUnreadable;
    if (tag != 0xA3) continue;
    const unsigned char* fieldEnd = fieldBody + length;
    const unsigned char* extensions;
    at = fieldBody;
    if (!Element(&at, fieldEnd, &tag, &extensions, &length) || tag != 0x30 || at != fieldEnd)
      return kTlsPurposeUnreadable;
    // Extension ::= SEQUENCE { extnID OID, critical BOOLEAN DEFAULT FALSE, extnValue OCTET STRING }
    for (const unsigned char *extension = extensions, *listEnd = extensions + length; extension < listEnd;) {
      const unsigned char *body, *oid, *value;
      size_t oidLength;
      if (!Element(&extension, listEnd, &tag, &body, &length) || tag != 0x30) return kTlsPurposeUnreadable;
      const unsigned char* end = body + length;
      at = body;
      if (!Element(&at, end, &tag, &oid, &oidLength) || tag != 0x06) return kTlsPurposeUnreadable;
      if (!Element(&at, end, &tag, &value, &length)) return kTlsPurposeUnreadable;
      if (tag == 0x01 && !Element(&at, end, &tag, &value, &length)) return kTlsPurposeUnreadable;
      if (tag != 0x04 || at != end) return kTlsPurposeUnreadable;
      if (!SameOid(oid, oidLength, kExtendedKeyUsage, sizeof kExtendedKeyUsage)) continue;
      // A certificate holds each extension once at most (RFC 5280).
      if (seen) return kTlsPurposeUnreadable;
      seen = true;
      purpose = ListedPurposes(value, length);
      if (purpose == kTlsPurposeUnreadable) return purpose;
    }
  }
  return purpose;
}

int TlsServerName(const char* typed, char* name, size_t size) {
  size_t length = 0;
  while (length <= kTlsMaxServerName + 1 && typed[length]) ++length;
  if (length == 0 || length > kTlsMaxServerName + 1) return kTlsServerUnusable;
  // An IPv6 address: hex digits, colons (an IPv4 part's dots), in brackets or not.
  if (memchr(typed, ':', length)) {
    size_t begin = 0, end = length;
    if (typed[0] == '[') {
      if (typed[length - 1] != ']') return kTlsServerUnusable;
      begin = 1;
      end = length - 1;
    }
    if (begin == end) return kTlsServerUnusable;
    for (size_t at = begin; at < end; ++at)
      if (!IsHexDigit(typed[at]) && typed[at] != ':' && typed[at] != '.') return kTlsServerUnusable;
    return kTlsServerAddress;
  }
  if (typed[length - 1] == '.') --length;
  if (length == 0 || length > kTlsMaxServerName || length >= size) return kTlsServerUnusable;
  size_t label = 0;  // where the current label starts
  for (size_t at = 0; at <= length; ++at) {
    if (at == length || typed[at] == '.') {
      if (at == label || at - label > 63) return kTlsServerUnusable;
      if (at == length && NumericLabel(typed + label, at - label)) return kTlsServerAddress;
      label = at + 1;
    } else if (!IsLetter(typed[at]) && !IsDigit(typed[at]) && typed[at] != '-' && typed[at] != '_') {
      return kTlsServerUnusable;
    }
  }
  memcpy(name, typed, length);
  name[length] = '\0';
  return kTlsServerName;
}

size_t ReadTlsRoots(const char* text, size_t size, TlsRoots* roots) {
  memset(roots, 0, sizeof *roots);
  if (size > kTlsRootsFileLimit) return 0;
  // Every root's name and key come from its certificate's bytes, which the
  // PEM text holds in a longer form: the text's size is room enough.
  roots->anchors = static_cast<br_x509_trust_anchor*>(calloc(kTlsMaxRoots, sizeof *roots->anchors));
  roots->bytes = static_cast<unsigned char*>(malloc(size ? size : 1));
  Certificate* certificate = static_cast<Certificate*>(malloc(sizeof(Certificate)));
  br_pem_decoder_context* pem = static_cast<br_pem_decoder_context*>(malloc(sizeof(br_pem_decoder_context)));
  if (roots->anchors && roots->bytes && certificate && pem) {
    Store store = {roots->bytes, 0, size, false};
    bool inObject = false, isCertificate = false, broken = false;
    br_pem_decoder_init(pem);
    // The text, then a line end: the decoder sees an object's last line
    // only when it ends.
    const char* sources[] = {text, "\n"};
    size_t sizes[] = {size, 1};
    for (int source = 0; source < 2 && !broken; ++source) {
      size_t at = 0;
      while (!broken && at < sizes[source]) {
        at += br_pem_decoder_push(pem, sources[source] + at, sizes[source] - at);
        switch (br_pem_decoder_event(pem)) {
          case BR_PEM_BEGIN_OBJ:
            inObject = true;
            isCertificate = strcmp(br_pem_decoder_name(pem), "CERTIFICATE") == 0 ||
                            strcmp(br_pem_decoder_name(pem), "X509 CERTIFICATE") == 0;
            certificate->length = 0;
            certificate->tooLong = false;
            br_pem_decoder_setdest(pem, isCertificate ? AppendCertificate : nullptr, certificate);
            break;
          case BR_PEM_END_OBJ:
            if (isCertificate && !certificate->tooLong && roots->count < kTlsMaxRoots &&
                AddRoot(certificate, &store, &roots->anchors[roots->count]))
              ++roots->count;
            inObject = isCertificate = false;
            break;
          case BR_PEM_ERROR: broken = true; break;
        }
      }
    }
    // Text that ends inside an object is cut.
    if (inObject) broken = true;
    if (broken) roots->count = 0;
  }
  free(pem);
  free(certificate);
  if (roots->count == 0) FreeTlsRoots(roots);
  return roots->count;
}

void FreeTlsRoots(TlsRoots* roots) {
  free(roots->anchors);
  free(roots->bytes);
  memset(roots, 0, sizeof *roots);
}

int TlsStart(TlsClient* client, const char* host, const br_x509_trust_anchor* roots, size_t rootCount,
             TlsTime now, const unsigned char* seed, const char* request, size_t requestLength) {
  memset(client, 0, sizeof *client);
  char name[kTlsMaxServerName + 1];
  if (TlsServerName(host, name, sizeof name) != kTlsServerName) {
    client->nameRefused = 1;
    return 0;
  }
  br_ssl_engine_context* engine = &client->ssl.eng;
  br_x509_minimal_context* x509 = &client->x509;
  br_ssl_client_zero(&client->ssl);
  br_ssl_engine_set_versions(engine, BR_TLS12, BR_TLS12);
  br_ssl_engine_set_suites(engine, kSuites, sizeof kSuites / sizeof kSuites[0]);

  // One implementation of each algorithm, the generic 32-bit ones that the
  // processors of the oldest systems run in constant time.
  client->curves = br_ec_prime_i31;
  client->curves.supported_curves = 1u << BR_EC_secp256r1 | 1u << BR_EC_secp384r1;
  br_x509_minimal_init(x509, &br_sha256_vtable, roots, rootCount);
  br_x509_minimal_set_rsa(x509, br_rsa_i31_pkcs1_vrfy);
  br_x509_minimal_set_ecdsa(x509, &client->curves, br_ecdsa_i31_vrfy_asn1);
  br_x509_minimal_set_time(x509, now.days, now.seconds);
  br_ssl_engine_set_hash(engine, br_sha256_ID, &br_sha256_vtable);
  br_ssl_engine_set_hash(engine, br_sha384_ID, &br_sha384_vtable);
  br_x509_minimal_set_hash(x509, br_sha256_ID, &br_sha256_vtable);
  br_x509_minimal_set_hash(x509, br_sha384_ID, &br_sha384_vtable);
  client->chain.vtable = &kChainCheckClass;
  client->chain.inner = x509;
  br_ssl_engine_set_x509(engine, &client->chain.vtable);
  br_ssl_engine_set_rsavrfy(engine, br_rsa_i31_pkcs1_vrfy);
  br_ssl_engine_set_ec(engine, &client->curves);
  br_ssl_engine_set_ecdsa(engine, br_ecdsa_i31_vrfy_asn1);
  br_ssl_engine_set_prf_sha256(engine, br_tls12_sha256_prf);
  br_ssl_engine_set_prf_sha384(engine, br_tls12_sha384_prf);
  br_ssl_engine_set_gcm(engine, &br_sslrec_in_gcm_vtable, &br_sslrec_out_gcm_vtable);
  br_ssl_engine_set_aes_ctr(engine, &br_aes_ct_ctr_vtable);
  br_ssl_engine_set_ghash(engine, br_ghash_ctmul32);
  br_ssl_engine_set_chapol(engine, &br_sslrec_in_chapol_vtable, &br_sslrec_out_chapol_vtable);
  br_ssl_engine_set_chacha20(engine, br_chacha20_ct_run);
  br_ssl_engine_set_poly1305(engine, br_poly1305_ctmul32_run);

  br_ssl_engine_set_buffers_bidi(engine, client->input, sizeof client->input, client->output,
                                 sizeof client->output);
  br_ssl_engine_inject_entropy(engine, seed, kTlsSeedSize);
  client->request = request;
  client->requestLength = requestLength;
  // The engine keeps its own copy of the name.
  return br_ssl_client_reset(&client->ssl, name, 0);
}

int TlsPump(TlsClient* client, const TlsTransport* transport, char* answer, size_t* length, size_t size) {
  br_ssl_engine_context* engine = &client->ssl.eng;
  for (;;) {
    unsigned state = br_ssl_engine_current_state(engine);
    if (state & BR_SSL_CLOSED) {
      if (br_ssl_engine_last_error(engine) != BR_ERR_OK) return kTlsFailed;
      // Ended by the server's own word, but before it heard the request.
      if (!client->opened || client->requestSent < client->requestLength) {
        client->lost = 1;
        return kTlsFailed;
      }
      return kTlsEnded;
    }
    bool moved = false;
    size_t n;
    if (state & BR_SSL_SENDREC) {
      unsigned char* records = br_ssl_engine_sendrec_buf(engine, &n);
      long sent = transport->send(transport->context, records, n);
      if (sent < 0) {
        client->lost = 1;
        return kTlsFailed;
      }
      if (sent > 0) {
        br_ssl_engine_sendrec_ack(engine, static_cast<size_t>(sent));
        moved = true;
      }
    }
    if (state & BR_SSL_SENDAPP) {
      client->opened = 1;
      if (client->requestSent < client->requestLength) {
        unsigned char* room = br_ssl_engine_sendapp_buf(engine, &n);
        n = Minimum(n, client->requestLength - client->requestSent);
        memcpy(room, client->request + client->requestSent, n);
        br_ssl_engine_sendapp_ack(engine, n);
        client->requestSent += n;
        if (client->requestSent == client->requestLength) br_ssl_engine_flush(engine, 0);
        moved = true;
      }
    }
    if (state & BR_SSL_RECVAPP) {
      unsigned char* data = br_ssl_engine_recvapp_buf(engine, &n);
      if (*length >= size) return kTlsFull;
      n = Minimum(n, size - *length);
      memcpy(answer + *length, data, n);
      *length += n;
      br_ssl_engine_recvapp_ack(engine, n);
      moved = true;
    }
    // Received even when something else moved: the transport may announce
    // its data only once.
    if ((state & BR_SSL_RECVREC) && !client->peerClosed) {
      unsigned char* room = br_ssl_engine_recvrec_buf(engine, &n);
      long received = transport->receive(transport->context, room, n);
      if (received == kTransportClosed) {
        client->peerClosed = 1;
      } else if (received < 0) {
        client->lost = 1;
        return kTlsFailed;
      } else if (received > 0) {
        for (long i = 0; i < received && client->firstCount < sizeof client->firstBytes; ++i)
          client->firstBytes[client->firstCount++] = room[i];
        br_ssl_engine_recvrec_ack(engine, static_cast<size_t>(received));
        moved = true;
      }
    }
    if (!moved) break;
  }
  if (!client->peerClosed) return kTlsWaiting;
  // Closed without the session's own end: an answer may have come whole
  // all the same (the caller judges), but not one that was never asked for.
  if (!client->opened || client->requestSent < client->requestLength) {
    client->lost = 1;
    return kTlsFailed;
  }
  return kTlsEnded;
}

int TlsError(const TlsClient* client) {
  return client->lost ? 0 : br_ssl_engine_last_error(&client->ssl.eng);
}

int TlsFailureOf(const TlsClient* client, TlsTime now) {
  if (client->nameRefused) return kTlsNeedsName;
  // A TLS server's first record is a handshake or an alert of version 3.x
  // (an HTTP server's first bytes are "HTTP/"); BearSSL would call another
  // start an unsupported version, which it is not.
  const unsigned char* first = client->firstBytes;
  if (client->firstCount > 0 && (first[0] < 20 || first[0] > 23 || (client->firstCount > 1 && first[1] != 3)))
    return kTlsNotSecureServer;
  int error = TlsError(client);
  switch (error) {
    case 0: return kTlsConnectionLost;
    case kTlsErrorWrongPurpose: return kTlsWrongPurpose;
    case BR_ERR_X509_EXPIRED: return now.days < kEarliestPlausibleDays ? kTlsClockWrong : kTlsCertificateDates;
    case BR_ERR_X509_BAD_SERVER_NAME: return kTlsWrongName;
    case BR_ERR_X509_NOT_TRUSTED: return kTlsUntrusted;
    case BR_ERR_BAD_CIPHER_SUITE:
    case BR_ERR_UNSUPPORTED_VERSION:
    case BR_ERR_RECV_FATAL_ALERT + kAlertHandshakeFailure:
    case BR_ERR_RECV_FATAL_ALERT + kAlertProtocolVersion:
    case BR_ERR_RECV_FATAL_ALERT + kAlertInsufficientSecurity: return kTlsNoCommonSuite;
    default: return kTlsProtocolError;
  }
}

void FormatTlsFailure(const char* format, int failure, const char* server, TlsTime now, int error, char* out,
                      size_t size) {
  char date[40], code[16];
  FormatDate(now, date, sizeof date);
  snprintf(code, sizeof code, "%d", error);
  snprintf(out, size, format, failure == kTlsClockWrong ? date : server, failure == kTlsProtocolError ? code : date);
}

void TlsWipe(void* data, size_t size) {
  volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
  while (size--) *p++ = 0;
}

void TlsEnd(TlsClient* client) { TlsWipe(client, sizeof *client); }
