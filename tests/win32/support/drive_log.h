// The virtual drive's command log, for tests in the driver's process.
#pragma once

#include <string>
#include <vector>

#include "vdrive/vdrive_api.h"

// The log without the time field, one entry a line.
inline std::vector<std::string> DriveLog() {
  std::vector<std::string> lines;
  int size = VDriveReadLog(nullptr, 0) + 1;
  std::string text(static_cast<size_t>(size), '\0');
  VDriveReadLog(&text[0], size);
  size_t at = 0;
  for (size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
    std::string line = text.substr(at, end - at);
    size_t blank = line.find(' ');
    lines.push_back(line.compare(0, 2, "t=") == 0 ? line.substr(blank + 1) : line);
  }
  return lines;
}
