// What every handler of the main window works with, handed in so that tests
// drive the handlers with a fake window, recorded prompts and a memory store.
#pragma once

#include <exception>
#include <string>

class KestruneApi;
class FormView;
struct FormValues;
class Prompts;
class SettingsStore;

struct ControllerContext {
    KestruneApi& lib;
    FormView& view;
    FormValues& values;
    Prompts& prompts;
    SettingsStore& store;
};

// The text a failed operation shows: "<number> - <description>" for a run-time
// error (a text that is no number, an overflow), the binder's message for a
// library that cannot be bound, else the exception's own text.
std::string errorText(const std::exception& error);
// Shows errorText() in a warning box titled with the application title.
void reportError(Prompts& prompts, const std::exception& error);
