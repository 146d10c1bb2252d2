// POSIX side of outputfile.h.
#include "report/outputfile.h"

#include "report/writefault.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace report {

namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t at = path.find_last_of('/');
    return at == std::string::npos ? "." : at == 0 ? "/" : path.substr(0, at);
}

constexpr FaultCode kFaults[] = {
    {EACCES, WriteFault::NoPermission},
    {EPERM, WriteFault::NoPermission},
    {EROFS, WriteFault::NoPermission},
    {ENOSPC, WriteFault::DiskFull},
    {EDQUOT, WriteFault::DiskFull},
    {ENOENT, WriteFault::NoFolder},
    {ENOTDIR, WriteFault::NoFolder},
};

[[noreturn]] void fail(const std::string& path, int error)
{
    throwWriteFault(kFaults,
                    static_cast<unsigned long>(error),
                    path,
                    folderOf(path),
                    std::strerror(error));
}

} // namespace

void writeWholeFile(const std::string& path, std::string_view bytes)
{
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        fail(path, errno);
    std::size_t done = 0;
    int error = 0;
    while (done < bytes.size() && error == 0) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            error = n < 0 ? errno : ENOSPC;
        else
            done += static_cast<std::size_t>(n);
    }
    // mkstemp makes the file for its owner alone; a report is as readable as
    // any file the user makes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (error == 0 && ::fchmod(fd, 0666 & ~mask) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        fail(path, error);
    }
}

bool makeFolders(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace report
