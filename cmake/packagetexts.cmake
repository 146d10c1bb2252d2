# The texts the packages carry beside the programs, made when the build is
# configured from the files at the top of the tree, so that no package can
# tell another story than the tree does:
#   the notices (LICENSE and packaging/notices.txt): the Debian packages'
#   copyright and the zips' LICENCAS.txt;
#   the changelog (CHANGELOG.md): the Debian packages' changelog.
#
# The texts are read whole and cut by position, never turned into CMake
# lists: licence texts hold semicolons and brackets.

set(LOGQVR_NOTICES_SOURCE ${PROJECT_SOURCE_DIR}/packaging/notices.txt)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${LOGQVR_NOTICES_SOURCE} ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md)

# Writes only when the text changed, so what depends on the file is not
# rebuilt at every configure.
function(logqvr_write_text path text)
    file(WRITE ${path}.new "${text}")
    file(COPY_FILE ${path}.new ${path} ONLY_IF_DIFFERENT)
    file(REMOVE ${path}.new)
endfunction()

# Takes the first line off `text_var` into `line_var`; false once it is empty.
function(logqvr_next_line text_var line_var more_var)
    string(FIND "${${text_var}}" "\n" end)
    if("${${text_var}}" STREQUAL "")
        set(${more_var} FALSE PARENT_SCOPE)
        return()
    elseif(end EQUAL -1)
        set(${line_var} "${${text_var}}" PARENT_SCOPE)
        set(${text_var} "" PARENT_SCOPE)
    else()
        string(SUBSTRING "${${text_var}}" 0 ${end} line)
        math(EXPR end "${end} + 1")
        string(SUBSTRING "${${text_var}}" ${end} -1 rest)
        set(${line_var} "${line}" PARENT_SCOPE)
        set(${text_var} "${rest}" PARENT_SCOPE)
    endif()
    set(${more_var} TRUE PARENT_SCOPE)
endfunction()

# logqvr_notices(<out_var> <place>...): the paragraphs of the notices whose
# "In" names one of the places, as a DEP-5 (machine-readable copyright) text.
function(logqvr_notices out_var)
    file(READ ${LOGQVR_NOTICES_SOURCE} source)
    file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
    # A field's text: one space before each line, " ." for an empty one.
    string(STRIP "${license}" license)
    string(REPLACE "\n" "\n " license " ${license}")
    string(REPLACE "\n \n" "\n .\n" license "${license}")
    string(REPLACE "\n \n" "\n .\n" license "${license}")
    string(REPLACE "\n @LICENSE@" "\n${license}" source "${source}")
    string(REGEX REPLACE "(^|\n)#[^\n]*" "" source "${source}")
    string(STRIP "${source}" source)
    string(APPEND source "\n\n")

    set(text "")
    while(TRUE)
        string(FIND "${source}" "\n\n" end)
        if(end EQUAL -1)
            break()
        endif()
        string(SUBSTRING "${source}" 0 ${end} paragraph)
        math(EXPR end "${end} + 2")
        string(SUBSTRING "${source}" ${end} -1 source)
        string(STRIP "${paragraph}" paragraph)
        if(paragraph STREQUAL "")
            continue()
        endif()
        if(NOT paragraph MATCHES "^In:([^\n]*)\n")
            message(FATAL_ERROR "${LOGQVR_NOTICES_SOURCE}: a paragraph without \"In:\" on "
                                "its first line:\n${paragraph}")
        endif()
        separate_arguments(places UNIX_COMMAND "${CMAKE_MATCH_1}")
        string(REGEX REPLACE "^In:[^\n]*\n" "" paragraph "${paragraph}")
        foreach(place IN LISTS ARGN)
            if(place IN_LIST places)
                string(APPEND text "${paragraph}\n\n")
                break()
            endif()
        endforeach()
    endwhile()
    string(STRIP "${text}" text)
    set(${out_var} "${text}\n" PARENT_SCOPE)
endfunction()

# logqvr_debian_changelog(<output> <source package> <maintainer>): CHANGELOG.md
# in the form of a Debian changelog, newest version first. Fails when its
# newest version is not the project's, so no release goes out without its
# entry.
function(logqvr_debian_changelog output package maintainer)
    if(NOT LOGQVR_RELEASE_VERSION STREQUAL PROJECT_VERSION)
        message(FATAL_ERROR "CHANGELOG.md: the newest entry is ${LOGQVR_RELEASE_VERSION}, "
                            "the project is ${PROJECT_VERSION}; add the entry for "
                            "${PROJECT_VERSION} at the top")
    endif()
    file(READ ${PROJECT_SOURCE_DIR}/CHANGELOG.md source)
    set(text "")
    set(entry "")
    while(TRUE)
        logqvr_next_line(source line more)
        if(NOT more OR line MATCHES "^## ([^ ]+) \\(([0-9-]+)\\)$")
            if(NOT entry STREQUAL "")
                execute_process(COMMAND date -u -R -d "${date} 12:00"
                                OUTPUT_VARIABLE stamp OUTPUT_STRIP_TRAILING_WHITESPACE
                                COMMAND_ERROR_IS_FATAL ANY)
                string(STRIP "${entry}" entry)
                string(APPEND text "${package} (${version}) stable; urgency=medium\n\n"
                       "  ${entry}\n\n -- ${maintainer}  ${stamp}\n\n")
            endif()
            if(NOT more)
                break()
            endif()
            set(version ${CMAKE_MATCH_1})
            set(date ${CMAKE_MATCH_2})
            set(entry " ")
        elseif(entry STREQUAL "")
            # The file's own title and introduction, before the first version.
        elseif(line MATCHES "^- (.*)")
            string(APPEND entry "\n  * ${CMAKE_MATCH_1}")
        elseif(line MATCHES "^  (.*)")
            string(APPEND entry "\n    ${CMAKE_MATCH_1}")
        elseif(NOT line STREQUAL "")
            message(FATAL_ERROR "CHANGELOG.md: not an item nor its continuation: ${line}")
        endif()
    endwhile()
    string(STRIP "${text}" text)
    logqvr_write_text(${output} "${text}\n")
endfunction()
