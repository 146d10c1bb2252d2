// Copying a closed database to its output name, the one step of an export
// after the face has closed the file. Each system has its own source
// (copy.cpp, copy_win32.cpp); both sweep by the rules of copytemp.h.
#pragma once

#include "mdb/errors.h"

#include <string>

namespace mdb {

// Copy a closed database to `to`, replacing an existing file, through a
// temporary file in the destination folder that is synced and then renamed:
// a failed copy never leaves a partial file under `to`. Temporaries that
// killed copies left in that folder go first, once their process is gone and
// they have been untouched for ten minutes. Raises Error.
void copyDatabase(const std::string& from, const std::string& to);

} // namespace mdb
