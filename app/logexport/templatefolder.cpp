#include "logexport/templatefolder.h"

#include "logexport/datalogrecord.h"
#include "logexport/exportdatabase.h"
#include "logexport/resetlogentry.h"
#include "mdb/copy.h"
#include "mdb/dao.h"

#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace logexport {

namespace {

constexpr const char* kInstalledTemplates = "../share/logqvr";
constexpr const char* kTemplates[] = {kDataTemplate, kResetTemplate};

// Root may write almost anywhere, so ask the system rather than read the
// mode bits.
bool writableFile(const std::string& path)
{
    return ::access(path.c_str(), W_OK) == 0;
}

bool writableFolder(const std::string& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// The program's folder serves only when the templates lie there and may be
// filled in place: an installed program run by root could write /usr/bin,
// but finds no templates there.
bool templatesFillableIn(const std::string& folder)
{
    if (!writableFolder(folder))
        return false;
    for (const char* name : kTemplates) {
        if (!writableFile(folder + name))
            return false;
    }
    return true;
}

std::string pristineFolder(const std::string& programFolder)
{
    const std::string installed =
        (fs::path(programFolder) / kInstalledTemplates).lexically_normal().string();
    std::error_code error;
    for (const char* name : kTemplates) {
        if (!fs::is_regular_file(installed + name, error))
            return programFolder;
    }
    return installed;
}

// Writes one empty row of the template's download without storing it: every
// column must exist and take its value, as the download will ask.
void probeColumns(mdb::Recordset& rs, const char* name)
{
    rs.AddNew();
    if (std::strcmp(name, kDataTemplate) == 0)
        writeDataLogRow(rs, DataLogRow{});
    else
        writeResetLogRow(rs, ResetLogRow{});
}

// The file name alone, for the user's eyes: "LOG_QVR.mdb".
std::string shown(const char* name)
{
    return name + 1;
}

// Copies the pristine template over `folder`'s copy; the engine's error on failure.
std::optional<std::string>
copyPristine(const std::string& pristine, const std::string& folder, const char* name)
{
    try {
        mdb::copyDatabase(pristine + name, folder + name);
        return std::nullopt;
    } catch (const mdb::Error& e) {
        return std::to_string(e.number()) + " - " + e.description();
    }
}

} // namespace

std::optional<std::string> templateFault(const std::string& folder, const char* name)
{
    try {
        auto db = mdb::dbEngine().OpenDatabase(folder + name, false, true, ";PWD=");
        auto rs = db->OpenRecordset("LOG");
        probeColumns(*rs, name);
        rs->Close();
        db->Close();
        return std::nullopt;
    } catch (const mdb::Error& e) {
        return std::to_string(e.number()) + " - " + e.description();
    }
}

TemplatePlace placeTemplates(const std::string& programFolder, const std::string& userFolder)
{
    if (userFolder.empty() || templatesFillableIn(programFolder))
        return {programFolder, true, {}};

    TemplatePlace place{userFolder, false, {}};
    std::error_code error;
    fs::create_directories(userFolder, error);
    if (error) {
        place.warnings.push_back("Não foi possível criar a pasta " + userFolder +
                                 " para os modelos: " + error.message());
        return place;
    }
    const std::string pristine = pristineFolder(programFolder);
    for (const char* name : kTemplates) {
        if (!fs::exists(userFolder + name, error)) {
            if (const auto failed = copyPristine(pristine, userFolder, name))
                place.warnings.push_back("Não foi possível copiar o modelo " + shown(name) +
                                         " de " + pristine + " para " + userFolder + ": " +
                                         *failed);
        } else if (const auto fault = templateFault(userFolder, name)) {
            // A damaged copy would fail every download, or take rows into a
            // table that is not ours: never use it silently.
            const auto failed = copyPristine(pristine, userFolder, name);
            place.warnings.push_back("O modelo " + shown(name) + " em " + userFolder +
                                     " estava danificado (" + *fault + ") e " +
                                     (failed ? "não pôde ser substituído: " + *failed
                                             : "foi substituído por uma cópia nova do original."));
        }
    }
    return place;
}

} // namespace logexport
