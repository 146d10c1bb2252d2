// Copying a closed database on Windows, by the rules of the POSIX copy
// (copy.cpp): through a temporary file in the destination folder, flushed,
// then moved over the destination with MoveFileExW, which replaces it and
// returns only once the move is on disk. A failed copy never leaves a partial
// file under the final name; temporaries of killed copies are swept by the
// rules of copytemp.h.
#include "mdb/copy.h"

#include "mdb/copytemp.h"
#include "mdb/errors.h"
#include "mdb/win32file.h"
#include "win32/widetext.h"

#include <aclapi.h>

#include <atomic>
#include <vector>

namespace mdb {

namespace {

using win32file::Handle;

// The destination's folder as a prefix a file name can follow: up to its
// last separator, or a drive ("C:"), or nothing for the current folder.
std::string folderPrefix(const std::string& path)
{
    const auto separator = path.find_last_of("\\/");
    if (separator != std::string::npos)
        return path.substr(0, separator + 1);
    if (path.size() >= 2 && path[1] == ':')
        return path.substr(0, 2);
    return {};
}

// The folder as an error names it: without a trailing separator, unless that
// is all a root ("C:\") has.
std::string folderText(const std::string& prefix)
{
    if (prefix.empty())
        return ".";
    if (prefix.size() > 1 && prefix[prefix.size() - 2] != ':' &&
        (prefix.back() == '\\' || prefix.back() == '/'))
        return prefix.substr(0, prefix.size() - 1);
    return prefix;
}

bool writerGone(uint32_t pid)
{
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    // Access denied: a process of another user or a protected one has the
    // id, perhaps a reused one.
    if (process == nullptr)
        return GetLastError() == ERROR_INVALID_PARAMETER;
    // An exited process keeps its id while someone holds a handle to it; it
    // writes nothing any more.
    const bool exited = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return exited;
}

// The account this process runs as, for telling our own files from others'.
class ProcessUser {
public:
    ProcessUser()
    {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
            return;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        m_buffer.resize(size);
        if (size == 0 || !GetTokenInformation(token, TokenUser, m_buffer.data(), size, &size))
            m_buffer.clear();
        CloseHandle(token);
    }
    PSID sid() const
    {
        return m_buffer.empty() ? nullptr
                                : reinterpret_cast<const TOKEN_USER*>(m_buffer.data())->User.Sid;
    }

private:
    std::vector<unsigned char> m_buffer;
};

bool ownedBy(HANDLE file, PSID user)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file,
                        SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION,
                        &owner,
                        nullptr,
                        nullptr,
                        nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return false;
    const bool same = owner != nullptr && EqualSid(owner, user);
    LocalFree(descriptor);
    return same;
}

int64_t secondsBetween(const FILETIME& earlier, const FILETIME& later)
{
    auto ticks = [](const FILETIME& t) {
        return static_cast<int64_t>((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime);
    };
    return (ticks(later) - ticks(earlier)) / 10'000'000; // FILETIME counts 100 ns
}

bool isLinkOrFolder(DWORD attributes)
{
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0;
}

// Best effort: a temporary that cannot be judged or removed stays. Each is
// opened sharing nothing before it is judged, so the file judged is the one
// removed, and one that anybody still has open stays.
void removeStaleTemporaries(const std::wstring& prefix)
{
    const ProcessUser user;
    if (user.sid() == nullptr)
        return;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileExW((prefix + L"*").c_str(),
                                   FindExInfoBasic,
                                   &entry,
                                   FindExSearchNameMatch,
                                   nullptr,
                                   0);
    if (find == INVALID_HANDLE_VALUE)
        return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    do {
        const auto pid = copytemp::temporaryWriter(win32::narrow(entry.cFileName));
        if (!pid || isLinkOrFolder(entry.dwFileAttributes))
            continue;
        Handle file(CreateFileW((prefix + entry.cFileName).c_str(),
                                DELETE | READ_CONTROL | FILE_READ_ATTRIBUTES,
                                0,
                                nullptr,
                                OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT,
                                nullptr));
        BY_HANDLE_FILE_INFORMATION info;
        if (!file.valid() || !GetFileInformationByHandle(file.get(), &info))
            continue;
        if (isLinkOrFolder(info.dwFileAttributes) ||
            secondsBetween(info.ftLastWriteTime, now) < copytemp::kStaleAfterSeconds ||
            !ownedBy(file.get(), user.sid()) || !writerGone(*pid))
            continue;
        FILE_DISPOSITION_INFO dispose{};
        dispose.DeleteFile = TRUE;
        SetFileInformationByHandle(file.get(), FileDispositionInfo, &dispose, sizeof dispose);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

void copyBytes(HANDLE from, HANDLE to)
{
    std::vector<char> buffer(1 << 16);
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr))
            throw jetError(kErrDiskIoRead);
        if (n == 0)
            return;
        DWORD done = 0;
        while (done < n) {
            DWORD written = 0;
            if (!WriteFile(to, buffer.data() + done, n - done, &written, nullptr))
                throw win32file::writeError(GetLastError());
            if (written == 0)
                throw win32file::writeError(ERROR_DISK_FULL);
            done += written;
        }
    }
}

} // namespace

void copyDatabase(const std::string& from, const std::string& to)
{
    // Others may read the template meanwhile, nobody write it.
    Handle source(CreateFileW(win32::widen(from).c_str(),
                              GENERIC_READ,
                              FILE_SHARE_READ,
                              nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr));
    if (!source.valid())
        throw jetError(win32file::namesNothing(GetLastError()) ? kErrFileNotFound : kErrCannotOpen,
                       from);
    const std::string prefix = folderPrefix(to);
    const std::wstring widePrefix = win32::widen(prefix);
    const std::wstring wideTo = win32::widen(to);
    if (prefix.size() == to.size() || wideTo.empty() ||
        !win32file::isFolder(prefix.empty() ? L"." : widePrefix))
        throw jetError(kErrInvalidPath, to.empty() ? to : folderText(prefix));

    // Before our own temporary, so that the room they took is there for it.
    removeStaleTemporaries(widePrefix);

    static std::atomic<unsigned> counter{0};
    const std::string base = to.substr(prefix.size());
    std::wstring temp;
    Handle target;
    for (int attempt = 0; !target.valid(); ++attempt) {
        temp = widePrefix +
               win32::widen(copytemp::temporaryName(base, GetCurrentProcessId(), counter++));
        target.reset(CreateFileW(temp.c_str(),
                                 GENERIC_WRITE,
                                 0,
                                 nullptr,
                                 CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                 nullptr));
        const DWORD error = target.valid() ? ERROR_SUCCESS : GetLastError();
        if (!target.valid() &&
            ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt > 100))
            throw jetError(win32file::diskFull(error) ? kErrDiskFull : kErrCannotOpen, to);
    }
    try {
        copyBytes(source.get(), target.get());
        if (!FlushFileBuffers(target.get()))
            throw win32file::writeError(GetLastError());
        if (!CloseHandle(target.release()))
            throw win32file::writeError(GetLastError());
        // Refused while another program has the destination open, where a
        // POSIX rename would replace it under that program.
        if (!MoveFileExW(temp.c_str(),
                         wideTo.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            throw jetError(kErrCannotOpen, to);
    } catch (...) {
        target.reset(); // an open file cannot be deleted
        DeleteFileW(temp.c_str());
        throw;
    }
}

} // namespace mdb
