// The account of a run as one JSON object (UTF-8), for scripts:
//   {"device": {...} or null, "history": {...} or null, "files": [...],
//    "range": {...} or null,
//    "seconds": 12.345, "exit_code": 0, "outcome": "done", "messages": [...]}
// Field by field in the README.
#pragma once

#include "clirun.h"

#include <string>

std::string runJson(const RunRecord& record);
