#include "resources/DataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zel {

namespace {

// Closes a descriptor on every way out of readDataFile.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

DataFileStatus readDataFile(const std::string& path, std::size_t maxBytes, std::string& bytes) {
    bytes.clear();
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        return DataFileStatus::MISSING;
    }
    if (!S_ISREG(info.st_mode)) {
        return DataFileStatus::NOT_REGULAR;
    }
    if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        return DataFileStatus::TOO_LARGE;
    }
    // Non-blocking, so that a pipe swapped in after the check cannot stall open.
    Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        return DataFileStatus::READ_ERROR;
    }
    if (fstat(file.get(), &info) != 0) {
        return DataFileStatus::READ_ERROR;
    }
    if (!S_ISREG(info.st_mode)) {
        return DataFileStatus::NOT_REGULAR;
    }
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = read(file.get(), buffer, sizeof(buffer));
        if (got < 0) {
            if (errno == EINTR) continue;
            bytes.clear();
            return DataFileStatus::READ_ERROR;
        }
        if (got == 0) {
            return DataFileStatus::OK;
        }
        // Bytes read are counted, not characters kept, so NUL bytes count too.
        if (bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
            bytes.clear();
            bytes.shrink_to_fit();
            return DataFileStatus::TOO_LARGE;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

const char* describeDataFileStatus(DataFileStatus status) {
    switch (status) {
    case DataFileStatus::OK:
        return "was read";
    case DataFileStatus::MISSING:
        return "does not exist or is not accessible";
    case DataFileStatus::NOT_REGULAR:
        return "is not a regular file";
    case DataFileStatus::TOO_LARGE:
        return "is larger than its size limit";
    case DataFileStatus::READ_ERROR:
        return "could not be read";
    }
    return "could not be read";
}

bool isContainedName(const std::string& name) {
    if (!name.empty() && (name[0] == '/' || name[0] == '\\')) {
        return false;
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0 && end - start == 2) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

} // namespace zel
