// Window load and unload of frmMain: fill the connection fields from the
// settings store and compose the title; close the port on the way out.
#pragma once

#include "connection/controllercontext.h"

#include <string>

class FormLifecycle {
public:
    // programFolder: folder of the running executable, without a trailing "/".
    FormLifecycle(ControllerContext context, std::string programFolder);

    void Form_Load();
    void Form_Unload();

private:
    ControllerContext m_ctx;
    std::string m_programFolder;
};
