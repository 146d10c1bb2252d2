// Just enough JSON to read what the mdb-reader script prints: objects,
// arrays, strings (with \u escapes), numbers kept as their text, booleans and null.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace mdbcheck::json {

struct Value {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    std::string text; // Bool: "true"/"false", Number: as written, String: UTF-8
    std::vector<Value> items;
    std::map<std::string, Value> members;

    const Value& at(const std::string& key) const;
    bool isNull() const { return kind == Kind::Null; }
};

// Throws std::runtime_error on malformed input.
Value parse(const std::string& text);

} // namespace mdbcheck::json
