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
// together with the entropy pool, the system's state of the moment
// (counters, tick counts, cursor, memory) and the seed kept in the settings
// file (KeepTlsSeed), which carries what earlier runs gathered. Returns 1
// when CryptGenRandom gave its part, 0 when the seed comes from the pool,
// the system and the kept seed alone. The caller wipes seed (TlsWipe) once
// TlsStart has taken it.
int GatherTlsSeed(unsigned char* seed);

// Replaces the seed kept in "kovel.ini" ([Lookup] Seed, 64 hex digits) by a
// hash of the entropy pool as it is now, CryptGenRandom's bytes and the
// seed it replaces, so that a Windows 95 without CryptGenRandom starts its
// next run with what this one gathered. A stored value that is not 64 hex
// digits counts for nothing and is replaced. The look-up calls it when it
// ends.
void KeepTlsSeed();

// The computer's clock.
TlsTime TlsClock();

// Reads a PEM file of trusted roots (a bare file name means a file in the
// Windows directory). Returns the number read; 0 when the file cannot be
// read, is larger than kTlsRootsFileLimit or holds no usable certificate.
size_t ReadTlsRootsFile(const char* name, TlsRoots* roots);
