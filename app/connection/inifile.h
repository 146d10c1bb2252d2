// The settings file the Qt window keeps on Linux (QSettings' INI format), read
// and changed without Qt: for the command, which must read the values the
// window stored and write the per-device memory so that the window reads it
// back exactly. Only string values matter here: the program stores nothing
// else. Text is UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ini {

// The text of `key` in `group` as the window reads it: the last of its lines
// wins; quotes, escapes and a list's commas undone; "@@" stands for "@" and
// "@String(...)" for its text. None when absent, for "@Invalid()", and for a
// value of another type QSettings would not give as text.
std::optional<std::string>
readValue(std::string_view file, std::string_view group, std::string_view key);

// The file with `key` in `group` set to `value`, every other byte as it was:
// the key's last line replaced, or a line added at the end of the group, or
// the group added at the end of the file.
std::string withValue(std::string_view file,
                      std::string_view group,
                      std::string_view key,
                      std::string_view value);

// A key or group name as QSettings writes it: letters, digits, '_', '-', '.'
// as they are, '/' as '\', any other character as %XX or %UXXXX.
std::string escapedKey(std::string_view name);
// A string value as QSettings writes it: quoted when it holds ';', ',' or
// '=' or starts or ends with a blank, with C escapes for '"', '\' and
// control characters, and "@" doubled at the start.
std::string escapedValue(std::string_view value);

} // namespace ini
