#include "mdb/errors.h"

namespace mdb {

namespace {

const char* describe(JetError number)
{
    switch (number) {
    case kErrNoCurrentRecord:
        return "No current record.";
    case kErrUpdateWithoutAddNew:
        return "Update or CancelUpdate without AddNew or Edit.";
    case kErrFileNotFound:
        return "Could not find file '|'.";
    case kErrDiskFull:
        return "Not enough space on disk.";
    case kErrReadOnly:
        return "Cannot update.  Database or object is read-only.";
    case kErrBadPassword:
        return "Not a valid password.";
    case kErrDiskIoRead:
        return "Disk I/O error during read.";
    case kErrDiskIoWrite:
        return "Disk or network error.";
    case kErrInvalidPath:
        return "'|' is not a valid path.  Make sure that the path name is spelled correctly "
               "and that you are connected to the server on which the file resides.";
    case kErrCorrupt:
        return "Cannot open database '|'.  It may not be a database that your application "
               "recognizes, or the file may be corrupt.";
    case kErrCannotOpen:
        return "The Microsoft Jet database engine cannot open the file '|'.  It is already "
               "opened exclusively by another user, or you need permission to view its data.";
    case kErrTableNotFound:
        return "The Microsoft Jet database engine cannot find the input table or query '|'.  "
               "Make sure it exists and that its name is spelled correctly.";
    case kErrFieldTooSmall:
        return "The field is too small to accept the amount of data you attempted to add.  "
               "Try inserting or pasting less data.";
    case kErrRecordDeleted:
        return "Record is deleted.";
    case kErrNotSupported:
        return "Operation is not supported for this type of object.";
    case kErrItemNotFound:
        return "Item not found in this collection.";
    case kErrUnrecognizedFormat:
        return "Unrecognized database format '|'.";
    case kErrNumericOverflow:
        return "Numeric field overflow.";
    case kErrObjectInvalid:
        return "Object invalid or no longer set.";
    case kErrConversion:
        return "Data type conversion error.";
    }
    return "Reserved error.";
}

} // namespace

Error jetError(JetError number, std::string_view arg)
{
    std::string text = describe(number);
    if (auto pos = text.find('|'); pos != std::string::npos)
        text.replace(pos, 1, arg);
    return Error(number, text);
}

} // namespace mdb
