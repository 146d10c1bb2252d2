// What a download's file name tells: the device address and the moment of the
// download ("LOG_QVR_END1_2024_03_05_14_05_09.mdb", "_PARCIAL" before ".mdb"
// for a download that stopped early). A file named otherwise tells nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace report {

struct FileStamp {
    std::string address;
    std::string date; // "05/03/2024"
    std::string time; // "14:05:09"
    bool partial = false;
    bool operator==(const FileStamp&) const = default;
};

// The file's name without its folders (either separator).
std::string baseName(std::string_view path);

std::optional<FileStamp> fileStamp(std::string_view path);

} // namespace report
