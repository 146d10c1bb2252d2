// The engine's errors: Jet's numbers and descriptions, so that callers see
// what DAO would report. Every layer raises them, from the page I/O up.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace mdb {

class Error : public std::runtime_error {
public:
    Error(int number, const std::string& description)
        : std::runtime_error(description), m_number(number)
    {
    }
    int number() const { return m_number; }
    std::string description() const { return what(); }

private:
    int m_number;
};

enum JetError : int {
    kErrNoCurrentRecord = 3021,
    kErrUpdateWithoutAddNew = 3020,
    kErrFileNotFound = 3024,
    kErrDiskFull = 3026,
    kErrReadOnly = 3027,
    kErrBadPassword = 3031,
    kErrDiskIoRead = 3040,
    kErrDiskIoWrite = 3043,
    kErrInvalidPath = 3044,
    kErrCorrupt = 3049,
    kErrCannotOpen = 3051,
    kErrTableNotFound = 3078,
    kErrFieldTooSmall = 3163,
    kErrRecordDeleted = 3167,
    kErrNotSupported = 3251,
    kErrItemNotFound = 3265,
    kErrUnrecognizedFormat = 3343,
    kErrNumericOverflow = 3349,
    kErrObjectInvalid = 3420,
    kErrConversion = 3421,
};

// Builds the Error for a number. Descriptions with a '|' get `arg` (a path
// or a name) there.
Error jetError(JetError number, std::string_view arg = {});

} // namespace mdb
