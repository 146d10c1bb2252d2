// Loading and unloading the library by file name, as the program binds it.
#include "ptyharness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <dlfcn.h>

namespace {

using OpenComm = int32_t (*)(int32_t);

constexpr int32_t kPort = 6;
constexpr int32_t kOpenOk = 4;

// Loads the library afresh, opens the port and unloads it with the port
// still open; the result of the open.
int32_t openThenUnload()
{
    void* handle = dlopen(KESTRUNE_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        ADD_FAILURE() << dlerror();
        return -1;
    }
    auto open = reinterpret_cast<OpenComm>(dlsym(handle, "open_comm"));
    const int32_t result = open != nullptr ? open(kPort) : -1;
    dlclose(handle);
    return result;
}

TEST(Unloading, LeavesNoPortHeld)
{
    ktest::PtyPair pty;
    if (!pty.ok()) {
        GTEST_SKIP() << "no pseudo-terminal: " << pty.error();
    }
    ktest::PortFolder folder;
    folder.link(kPort, pty.slavePath());
    ASSERT_EQ(openThenUnload(), kOpenOk);
    EXPECT_EQ(openThenUnload(), kOpenOk) << "the port stayed held after the first unload";
}

} // namespace
