#pragma once
// Safe access to the program's data files (catalogue, SGF models, shaders,
// images). Every loader reads its file through readDataFile, so a named pipe,
// a device or a link to one never blocks or streams forever, and no file costs
// more memory than its reader's cap. Texture names taken from data files pass
// isContainedName before they are turned into paths.

#include <cstddef>
#include <string>

namespace zel {

enum class DataFileStatus {
    OK,
    MISSING,     // stat failed: no such file or no access
    NOT_REGULAR, // a directory, pipe, socket or device
    TOO_LARGE,   // more bytes than the cap (counted while reading, too)
    READ_ERROR   // open or read failed
};

// Reads the whole file at path into bytes when it is a regular file of at most
// maxBytes bytes. The file is checked with stat before it is opened and opened
// without blocking; the byte count is checked again while reading, so a file
// that grows after the check is still cut off. bytes is cleared on failure.
DataFileStatus readDataFile(const std::string& path, std::size_t maxBytes, std::string& bytes);

// A short phrase for a failed status ("is not a regular file", ...).
const char* describeDataFileStatus(DataFileStatus status);

// True when name, taken from a data file, stays inside the directory it is
// resolved against: not absolute and no ".." path component (either slash
// counts as a separator). The empty name names the directory itself.
bool isContainedName(const std::string& name);

} // namespace zel
