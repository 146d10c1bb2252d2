// Loading libkestrune and finding its exports: the one part of the binding
// that differs per system (kestruneloader.cpp with dlopen,
// kestruneloader_win32.cpp with LoadLibraryW).
#pragma once

#include <string>

namespace kestruneloader {

// The address of `exportName` in the library `libraryName` (UTF-8). The
// library is loaded at each call and never unloaded: the loader counts the
// loads, so every export shares one copy and its port. A plain file name is
// looked for beside the executable too. Throws BindError naming the library
// or the export, with the loader's reason.
void* findExport(const std::string& libraryName, const char* exportName);

} // namespace kestruneloader
