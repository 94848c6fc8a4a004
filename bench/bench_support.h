#pragma once

// What several benchmarks measure or set up alike, without the window library.

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "catalogue/folder_history.h"

namespace snapvale::bench {

// Resident memory of this process in megabytes, as /proc/self/status gives it under `field`:
// "VmRSS:" now, "VmHWM:" at its peak.
inline double ResidentMegabytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atof(line.c_str() + std::strlen(field)) / 1024.0;
    return 0;
}

// A folder of the kind a player's history holds, different for each `i`.
inline std::string HistoryFolder(long i)
{
    return "/home/player/Games/Lineage/スクリーンショット/" + std::to_string(i) + "/";
}

// A settings file as the program writes it, with `folder` as the screenshot folder and a history
// of `entries` folders.
inline std::string SettingsWithHistory(const std::string& folder, long entries)
{
    std::string text = "[CONFIG]\r\nFOLDER=" + folder + "\r\n[" + kHistorySection + "]\r\n";
    for (long i = 0; i < entries; ++i)
        text += HistoryKey(static_cast<std::size_t>(i)) + "=" + HistoryFolder(i) + "\r\n";
    return text;
}

} // namespace snapvale::bench
