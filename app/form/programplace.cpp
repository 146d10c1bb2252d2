#include "form/programplace.h"

#include "core/settingsstore.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// An environment variable naming a folder counts only when absolute, as the
// XDG rules (and Qt) have it.
std::string absoluteFolderFrom(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string home()
{
    const char* value = std::getenv("HOME");
    return value ? value : "";
}

std::string xdgFolder(const char* variable, const char* underHome)
{
    std::string folder = absoluteFolderFrom(variable);
    if (folder.empty() && !home().empty())
        folder = home() + underHome;
    return folder;
}

// XDG_DOCUMENTS_DIR="$HOME/Documentos" in user-dirs.dirs, the one form the
// desktop's xdg-user-dirs writes.
std::string documentsFromUserDirs()
{
    std::ifstream in(xdgFolder("XDG_CONFIG_HOME", "/.config") + "/user-dirs.dirs");
    const std::string prefix = "XDG_DOCUMENTS_DIR=\"";
    std::string line;
    while (std::getline(in, line)) {
        if (!line.starts_with(prefix) || !line.ends_with('"'))
            continue;
        std::string folder = line.substr(prefix.size(), line.size() - prefix.size() - 1);
        if (folder.starts_with("$HOME"))
            folder = home() + folder.substr(5);
        if (folder.starts_with('/') && folder != home() && folder != home() + "/")
            return folder;
    }
    return {};
}

} // namespace

ProgramPlace programPlace()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    ProgramPlace place;
    place.folder = ec ? std::string(".") : exe.parent_path().string();
    place.settingsName = ec ? std::string(kProgramName) : settingsNameOf(exe.string());
    return place;
}

std::string userTemplateFolder()
{
    const std::string data = xdgFolder("XDG_DATA_HOME", "/.local/share");
    return data.empty() ? data : data + "/" + kOrganization + "/" + kProgramName;
}

std::string documentsFolder()
{
    const std::string named = documentsFromUserDirs();
    if (!named.empty())
        return named;
    return home().empty() ? std::string() : home() + "/Documents";
}
