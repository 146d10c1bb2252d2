#include "logexport/errorreport.h"

#include "connection/kestruneapi.h"
#include "connection/textnumber.h"
#include "mdb/dao.h"

namespace logexport {

namespace {

constexpr int kErrorLoadingLibrary = 48;
constexpr int kInternalError = 51;

std::string joined(int number, const std::string& description)
{
    return std::to_string(number) + " - " + description;
}

} // namespace

std::string errorReport(const std::exception& e)
{
    if (const auto* db = dynamic_cast<const mdb::Error*>(&e))
        return joined(db->number(), db->description());
    if (const auto* rt = dynamic_cast<const RuntimeError*>(&e))
        return joined(rt->number(), rt->what());
    if (dynamic_cast<const BindError*>(&e))
        return joined(kErrorLoadingLibrary, e.what());
    return joined(kInternalError, e.what());
}

} // namespace logexport
