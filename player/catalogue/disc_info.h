// The record of the disc in the drive, and the catalogue names it is kept
// under in "tunedeck.ini".
#pragma once

#include <cstdint>

enum { kTitleSize = 80 };  // 79 characters and a terminator

struct TrackEntry {
  int32_t number;  // 1-based; entry i holds i + 1
  char title[kTitleSize];
};

struct DiscInfo {
  uint32_t discId;
  char title[kTitleSize];
  char artist[kTitleSize];
  int32_t trackCount;
  TrackEntry* tracks;      // trackCount entries
  int32_t playCount;
  int32_t* playList;       // playCount track numbers, in play order
  int32_t* shuffleOrder;   // a permutation of playList, or null; never stored
  uint8_t repeatMode;      // 0 no repeat, 1 repeat track, 2 repeat all
  uint8_t shuffle;         // 1 while shuffleOrder is the play order
};

// Key names and defaults of the catalogue, as the string table gives them.
struct CatalogueNames {
  char discTitle[kTitleSize];
  char discArtist[kTitleSize];
  char repeat[kTitleSize];
  char shuffle[kTitleSize];
  char track[kTitleSize];
  char playList[kTitleSize];
  char untitledTitle[kTitleSize];
  char untitledArtist[kTitleSize];
};
