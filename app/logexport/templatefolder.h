// Where the two export templates are filled, on both systems. A program whose
// folder it may write (the build tree, a portable copy, a zip unpacked into a
// folder of the user's) fills the templates beside it, as it always has. An
// installed program cannot write /usr/bin, nor a user C:\Program Files, so
// each user works on copies of the pristine templates, made in their own data
// folder when first needed and kept from then on; every copy, new or old, must
// pass our own check, a damaged one is replaced, and the user is told.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace logexport {

struct TemplatePlace {
    std::string folder; // where the downloads open the templates, without a trailing "/"
    // The templates are filled beside the program: a build tree or a portable
    // copy, not an installed program.
    bool besideProgram = false;
    // One text per copy replaced or not made, for a warning box each.
    std::vector<std::string> warnings;
};

// programFolder: the executable's folder. userFolder: the user's data folder,
// created when needed. The pristine templates are the installed ones in
// programFolder/../share/logqvr, else those beside the program. Decided once
// at start. Paths are UTF-8, without a trailing separator.
TemplatePlace placeTemplates(const std::string& programFolder, const std::string& userFolder);

// "Caminho" until the user stores one, with the separator: the program's
// folder when the templates are filled beside it; else the user's documents
// folder, made when it is missing (only it, not its parents) so that the
// first download has somewhere to go.
std::string firstRunCaminho(const TemplatePlace& place,
                            const std::string& programFolder,
                            const std::string& documents);

// Our own check of a template file (name: kDataTemplate or kResetTemplate):
// it opens with our engine and its table "LOG" takes every column its
// download writes. The engine's error when it does not.
std::optional<std::string> templateFault(const std::string& folder, const char* name);

} // namespace logexport
