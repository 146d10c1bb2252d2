// Window load and unload of frmMain: fill the connection fields from the
// settings store and compose the title; close the port on the way out.
#pragma once

#include "core/controllercontext.h"

class FormLifecycle {
public:
    explicit FormLifecycle(ControllerContext context);

    void Form_Load();
    void Form_Unload();

private:
    ControllerContext m_ctx;
};
