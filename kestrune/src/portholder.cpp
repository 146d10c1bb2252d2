// Who holds a serial device, for the reason an open failed: the kernel's lock
// table names the owner of an flock (our own hold, and that of programs that
// lock as we do); a program that only set TIOCEXCL shows up among the open
// descriptors in /proc.
#include "serialport.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace kestrune {

namespace {

bool isPid(const char* name)
{
    if (*name == '\0') {
        return false;
    }
    for (const char* c = name; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') {
            return false;
        }
    }
    return true;
}

// /proc/locks lines read "1: FLOCK  ADVISORY  WRITE 1234 00:05:87 0 EOF",
// the file as major:minor (hex) of its file system and inode; waiters
// queued behind a lock carry "->" and are not holders.
pid_t lockOwner(const struct stat& node)
{
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        char type[16] = {};
        int pid = 0;
        unsigned fsMajor = 0;
        unsigned fsMinor = 0;
        unsigned long inode = 0;
        if (std::sscanf(line.c_str(),
                        "%*d: %15s %*s %*s %d %x:%x:%lu",
                        type,
                        &pid,
                        &fsMajor,
                        &fsMinor,
                        &inode) != 5) {
            continue;
        }
        if (pid > 0 && fsMajor == major(node.st_dev) && fsMinor == minor(node.st_dev) &&
            inode == node.st_ino) {
            return pid;
        }
    }
    return 0;
}

bool hasOpen(const char* pid, const struct stat& node)
{
    const std::string folder = std::string("/proc/") + pid + "/fd";
    DIR* fds = opendir(folder.c_str());
    if (fds == nullptr) {
        return false; // another user's process, or gone
    }
    bool found = false;
    while (dirent* fd = readdir(fds)) {
        struct stat opened {};
        if (isPid(fd->d_name) && stat((folder + "/" + fd->d_name).c_str(), &opened) == 0 &&
            opened.st_dev == node.st_dev && opened.st_ino == node.st_ino) {
            found = true;
            break;
        }
    }
    closedir(fds);
    return found;
}

pid_t openedBy(const struct stat& node)
{
    const std::string self = std::to_string(getpid());
    DIR* proc = opendir("/proc");
    if (proc == nullptr) {
        return 0;
    }
    pid_t holder = 0;
    while (dirent* entry = readdir(proc)) {
        if (isPid(entry->d_name) && self != entry->d_name && hasOpen(entry->d_name, node)) {
            holder = static_cast<pid_t>(std::atol(entry->d_name));
            break;
        }
    }
    closedir(proc);
    return holder;
}

std::string described(pid_t pid)
{
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    const std::string id = "PID " + std::to_string(pid);
    return name.empty() ? id : name + " (" + id + ")";
}

} // namespace

std::string portHolder(const std::string& path)
{
    struct stat node {};
    if (stat(path.c_str(), &node) != 0) {
        return {};
    }
    pid_t pid = lockOwner(node);
    if (pid == 0) {
        pid = openedBy(node);
    }
    return pid == 0 ? std::string() : described(pid);
}

} // namespace kestrune
