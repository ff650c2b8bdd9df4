#include "player/controls/position_record.h"

int UpdatePositionRecord(PositionRecord* record, int track, uint32_t positionTmsf) {
  uint8_t t = static_cast<uint8_t>(track);
  uint8_t m = static_cast<uint8_t>(positionTmsf >> 8);
  uint8_t s = static_cast<uint8_t>(positionTmsf >> 16);
  uint8_t f = static_cast<uint8_t>(positionTmsf >> 24);
  int changes = 0;
  if (m != record->minutes || s != record->seconds || f != record->frames)
    changes |= kPositionTimeChanged;
  if (t != record->track) changes |= kPositionTrackChanged;
  record->track = t;
  record->minutes = m;
  record->seconds = s;
  record->frames = f;
  return changes;
}
