// Whether this process may write a file in place, or make files in a folder,
// asked of the system itself: the permission bits alone do not tell (root
// writes almost anywhere; Windows decides by access lists, and a folder under
// C:\Program Files refuses a user who reads it freely). Paths are UTF-8.
#pragma once

#include <string>

namespace logexport {

bool mayWriteFile(const std::string& path);
bool mayWriteFolder(const std::string& folder);

} // namespace logexport
