# Run by cpack after it packed: takes out of each .deb the postinst and
# postrm that CPack writes by itself for any library under /usr/lib, which
# only call ldconfig. Ours lives in the private /usr/lib/logqvr, found
# through the program's RUNPATH and never through the linker's cache, so
# ldconfig has nothing to learn from it. A script that does anything else is
# left alone.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    if(NOT deb MATCHES "\\.deb$")
        continue()
    endif()
    set(tree ${deb}.tree)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb --raw-extract ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    set(dropped FALSE)
    foreach(script postinst postrm)
        set(path ${tree}/DEBIAN/${script})
        if(EXISTS ${path})
            file(READ ${path} text)
            string(REGEX REPLACE "[ \t\n]+" " " text "${text}")
            if(text MATCHES "^#!/bin/sh set -e if \\[ \"\\$1\" = \"[a-z]+\" \\]; then ldconfig fi ?$")
                file(REMOVE ${path})
                set(dropped TRUE)
            endif()
        endif()
    endforeach()
    if(dropped)
        execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build ${tree} ${deb}
                        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    endif()
    file(REMOVE_RECURSE ${tree})
endforeach()
