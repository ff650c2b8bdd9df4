// What the TLS client needs from the system: random bytes to seed a
// session, the computer's clock, and the roots file.
#pragma once

#include <windows.h>

#include "player/tls/tls_core.h"

// Test seam: when set, the DLL looked in for CryptGenRandom in place of
// ADVAPI32.DLL (tests name one that does not exist to see a system without
// it). The program never sets it.
extern const char* testSeamCryptoLibrary;

// Adds the moment of the message being handled (its time, the cursor's
// position then, the performance counter now) to the entropy pool. The
// look-up calls it for every message its dialog receives.
void StirTlsEntropy();

// Fills seed with kTlsSeedSize bytes: CryptGenRandom's where ADVAPI32 has it
// (NT 4.0, 98, and 95 with Internet Explorer 3.02 or later), hashed
// together with the entropy pool and the system's state of the moment
// (counters, tick counts, cursor, memory). Returns 1 when CryptGenRandom
// gave its part, 0 when the seed comes from the pool and the system alone.
int GatherTlsSeed(unsigned char* seed);

// The computer's clock.
TlsTime TlsClock();

// Reads a PEM file of trusted roots (a bare file name means a file in the
// Windows directory). Returns the number read; 0 when the file cannot be
// read, is larger than kTlsRootsFileLimit or holds no usable certificate.
size_t ReadTlsRootsFile(const char* name, TlsRoots* roots);
