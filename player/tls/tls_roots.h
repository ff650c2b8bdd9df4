/* The trusted roots compiled into the player: made at build time by
   tools/make-roots from Debian's ca-certificates bundle (the roots the
   player/tls/CMakeLists.txt names). A plain C header: the made source is C. */
#ifndef KOVEL_TLS_ROOTS_H
#define KOVEL_TLS_ROOTS_H

#include <bearssl.h>

#ifdef __cplusplus
extern "C" {
#endif

extern const br_x509_trust_anchor kBuiltInRoots[];
extern const size_t kBuiltInRootCount;

#ifdef __cplusplus
}
#endif

#endif
