#include "logexport/templatefolder.h"

#include "core/pathseparator.h"
#include "logexport/datalogrecord.h"
#include "logexport/exportdatabase.h"
#include "logexport/resetlogentry.h"
#include "logexport/writeaccess.h"
#include "mdb/copy.h"
#include "mdb/dao.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace logexport {

namespace {

constexpr const char* kInstalledTemplates = "../share/logqvr";
constexpr const char* kTemplates[] = {kDataTemplate, kResetTemplate};

// Paths are UTF-8 inside; a Windows user's folder may hold any letter, which
// the narrow std::filesystem calls would take in the system's code page.
fs::path pathOf(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string textOf(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The program's folder serves only when the templates lie there and may be
// filled in place: an installed program run by root could write /usr/bin,
// but finds no templates there.
bool templatesFillableIn(const std::string& folder)
{
    if (!mayWriteFolder(folder))
        return false;
    for (const char* name : kTemplates) {
        if (!mayWriteFile(folder + name))
            return false;
    }
    return true;
}

std::string pristineFolder(const std::string& programFolder)
{
    const std::string installed =
        textOf((pathOf(programFolder) / kInstalledTemplates).lexically_normal());
    std::error_code error;
    for (const char* name : kTemplates) {
        if (!fs::is_regular_file(pathOf(installed + name), error))
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

// The end of the warning about a damaged copy, after the copy of the
// original meant to replace it. That copy is checked as the old one was: a
// damaged original (a broken download of the program, a disk error) gives a
// damaged copy, which would fail every download of its kind.
std::string replaced(const std::string& pristine, const std::string& folder, const char* name)
{
    if (const auto failed = copyPristine(pristine, folder, name))
        return "não pôde ser substituído: " + *failed;
    if (const auto fault = templateFault(folder, name))
        return "a cópia nova do original também não passou na verificação (" + *fault +
               "): o original em " + pristine + " está danificado.";
    return "foi substituído por uma cópia nova do original.";
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
    fs::create_directories(pathOf(userFolder), error);
    if (error) {
        place.warnings.push_back("Não foi possível criar a pasta " + userFolder +
                                 " para os modelos: " + error.message());
        return place;
    }
    const std::string pristine = pristineFolder(programFolder);
    for (const char* name : kTemplates) {
        if (!fs::exists(pathOf(userFolder + name), error)) {
            if (const auto failed = copyPristine(pristine, userFolder, name))
                place.warnings.push_back("Não foi possível copiar o modelo " + shown(name) +
                                         " de " + pristine + " para " + userFolder + ": " +
                                         *failed);
            else if (const auto fault = templateFault(userFolder, name))
                place.warnings.push_back("O modelo " + shown(name) + " copiado de " + pristine +
                                         " para " + userFolder + " não passou na verificação (" +
                                         *fault + "): o original está danificado.");
        } else if (const auto fault = templateFault(userFolder, name)) {
            // A damaged copy would fail every download, or take rows into a
            // table that is not ours: never use it silently.
            place.warnings.push_back("O modelo " + shown(name) + " em " + userFolder +
                                     " estava danificado (" + *fault + ") e " +
                                     replaced(pristine, userFolder, name));
        }
    }
    return place;
}

std::string firstRunCaminho(const TemplatePlace& place,
                            const std::string& programFolder,
                            const std::string& documents)
{
    if (place.besideProgram || documents.empty())
        return programFolder + kPathSeparator;
    std::error_code error;
    fs::create_directory(pathOf(documents), error);
    return documents + kPathSeparator;
}

} // namespace logexport
