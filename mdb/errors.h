// Jet's error numbers and descriptions, so that callers see what DAO would
// report. Descriptions with a '|' get the argument (a path or a name) there.
#pragma once

#include "mdb/dao.h"

#include <string>
#include <string_view>

namespace mdb {

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
    kErrItemNotFound = 3265,
    kErrUnrecognizedFormat = 3343,
    kErrNumericOverflow = 3349,
    kErrObjectInvalid = 3420,
    kErrConversion = 3421,
};

// Builds the Error for a number, filling the description's '|' with `arg`.
Error jetError(JetError number, std::string_view arg = {});

} // namespace mdb
