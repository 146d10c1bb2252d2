# The Windows build (a mingw-w64 toolchain file from this folder): GoogleTest
# from Debian's sources built with the same compiler, and Wine to run the
# test programs, each build folder with a Wine prefix of its own.
if(NOT BUILD_TESTING)
    return()
endif()

set(LOGQVR_GTEST_SOURCE /usr/src/googletest CACHE PATH
    "GoogleTest sources (Debian package googletest)")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${LOGQVR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Debian keeps the loader out of PATH; wine64 also starts 32-bit programs
# when the i386 Wine is installed.
find_program(LOGQVR_WINE NAMES wine64 wine PATHS /usr/lib/wine REQUIRED)
set(LOGQVR_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
# ctest puts this before every test command that is one of our programs.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

# Registers a GoogleTest program, run under Wine. It is judged by what it
# printed: a Windows program that Wine could not start may still exit 0.
function(logqvr_add_wine_gtest target)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES
        PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [1-9][0-9]* tests?\\."
        FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]|\\[  SKIPPED \\]|wine-run: exit status"
        TIMEOUT 300)
endfunction()
