// The temporary files of copyDatabase: their names, which name the process
// that writes them, and how long one must lie untouched before another copy
// may remove it. Each system's copy sweeps by these same rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mdb::copytemp {

// ".<base>.<pid>.<counter>.tmp": hidden on POSIX systems, and naming the
// process that writes it.
std::string temporaryName(const std::string& base, uint32_t pid, unsigned counter);

// The writer of a name temporaryName() made; nothing for any other name, nor
// for a pid of 0 or above INT32_MAX (kill() would take those for groups).
std::optional<uint32_t> temporaryWriter(std::string_view name);

// A copy writes its temporary without pause until the rename; one untouched
// for this long is not being written on this machine or any other sharing
// the folder.
inline constexpr int64_t kStaleAfterSeconds = 10 * 60;

} // namespace mdb::copytemp
