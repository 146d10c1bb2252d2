#include "logexport/writeaccess.h"

#include <unistd.h>

namespace logexport {

bool mayWriteFile(const std::string& path)
{
    return ::access(path.c_str(), W_OK) == 0;
}

bool mayWriteFolder(const std::string& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace logexport
