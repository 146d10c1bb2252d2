// The program's errors as the user is told them: a number, " - ", a
// description ("13 - Type mismatch", "3044 - ..."). Every error gets its
// number here, whichever handler tells it.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

class Prompts;

// A run-time error with its number: a text that is no number, an overflow, and
// the database engine's errors as the export layer hands them on.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& description)
        : std::runtime_error(description), m_number(number)
    {
    }
    int number() const { return m_number; }

private:
    int m_number;
};

// "<number> - <description>": a RuntimeError's own number; 48 for a library
// that cannot be bound (BindError), with the loader's reason; 51 for any other
// error, as an internal one.
std::string errorText(const std::exception& error);

// errorText() in a warning box titled with the application title.
void reportError(Prompts& prompts, const std::exception& error);
