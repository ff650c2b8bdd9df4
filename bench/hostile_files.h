// Hostile catalogue and settings files: what a damaged disk, another
// program or a user's editor may leave in "tunedeck.ini" and "kovel.ini".
// The native bench loads and saves records on them; the player bench runs
// the real player on them under Wine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HostileCase {
  std::string name;
  std::string catalogue;  // "tunedeck.ini"
  std::string settings;   // "kovel.ini"
};

// The cases, each holding a section for the disc of the given identity
// (named as the catalogue names it) among the hostile content.
std::vector<HostileCase> HostileCases(uint32_t discId);

// Whether after differs from before only inside the section named section
// (its first occurrence), or by that section added at the end.
bool OnlySectionChanged(const std::string& before, const std::string& after, const char* section);
