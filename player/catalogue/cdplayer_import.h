// Titles typed in the operating system's own CD player: its file
// "cdplayer.ini" keeps one section per disc, named by that player's disc
// identity in hexadecimal, with the keys "artist", "title", "numtracks",
// "0" to numtracks - 1 (the track titles, counted from 0), "order" (the play
// list counted from 0) and "numplay" (how many numbers of "order" count).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "player/catalogue/disc_info.h"
#include "player/device/cd_core.h"

// That player's identity of a disc: the sum of the track terms, as ours;
// a disc of one or two tracks adds its length taken in milliseconds and
// turned into frames rounded up, and a disc of two tracks also the frame
// byte of track 1's start. For three or more tracks it equals ours.
uint32_t CdPlayerDiscId(int trackCount, const uint32_t* startsMsf, uint32_t lengthMs);
// The same from the device's table of contents and the disc's length as the
// device gives it in milliseconds.
uint32_t CdPlayerDiscIdOfToc(const DiscToc* toc, uint32_t lengthMs);

// The section name of a disc in that file: the identity in upper-case hex.
void CdPlayerSectionName(uint32_t cdPlayerId, char* name, size_t size);

// Takes over what that file's text holds for the disc into a record just
// loaded with our defaults (tracks and playList allocated): the title, the
// artist and the track titles present (each at most 79 characters), and
// the play list turned into numbers counted from 1 with the repairs of a
// stored play list. Repeat and shuffle are left alone. Returns 1 when the
// file has a section for the disc, else 0 and the record is unchanged.
int ImportCdPlayerRecord(const std::string& text, uint32_t cdPlayerId, DiscInfo* info);
