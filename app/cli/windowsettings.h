// The store the window keeps its settings in, whatever the command's own
// name: on Linux the Qt window's file, read and written without Qt; on
// Windows its registry key.
#pragma once

#include "core/settingsstore.h"

#include <memory>
#include <string>

// `group`: "Params", or a group of the window's own.
std::unique_ptr<SettingsStore> windowSettings(const std::string& group);
