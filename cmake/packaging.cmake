# What every program the packages ship needs beside its build: its install
# rule, a manual page for the Debian packages, and a link map from which the
# package tests learn what of others' work was linked into it
# (tests/package/linkedpieces.sh).
#
# A new program takes all of it with one call in its own CMakeLists.txt,
# instead of its install() rule:
#
#   logqvr_program(<target> COMPONENT <program|sim> DESCRIPTION "<one line, in Portuguese>")
#       the manual page is made by help2man from the program's own --help and
#       --version, run at build time in pt_BR: both must print to stdout and
#       exit 0, and the help text is written in Portuguese;
#   logqvr_program(<target> COMPONENT <program|sim> PAGE <page.1.in>)
#       for a program without options, a page written by hand (configured
#       with @PROJECT_VERSION@ and @LOGQVR_RELEASE_MONTH@).
#
# In the Windows build the same call puts the program into both zips
# (packaging/windows/, which comes after every program's folder) and gives it
# its link map; no manual page is made there.

# The release the packages describe: the newest heading of CHANGELOG.md.
function(logqvr_read_release)
    file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md heading
         REGEX "^## [^ ]+ \\([0-9-]+\\)$" LIMIT_COUNT 1)
    if(NOT heading MATCHES "^## ([^ ]+) \\(([0-9]+)-([0-9]+)-([0-9]+)\\)$")
        message(FATAL_ERROR "CHANGELOG.md has no heading \"## VERSION (YYYY-MM-DD)\"")
    endif()
    set(LOGQVR_RELEASE_VERSION ${CMAKE_MATCH_1} PARENT_SCOPE)
    set(LOGQVR_RELEASE_DATE ${CMAKE_MATCH_2}-${CMAKE_MATCH_3}-${CMAKE_MATCH_4} PARENT_SCOPE)
    # The manual pages' date as help2man writes it in pt_BR, so the
    # hand-written page and the generated ones read alike.
    set(months janeiro fevereiro março abril maio junho julho agosto setembro outubro
        novembro dezembro)
    math(EXPR month "${CMAKE_MATCH_3} - 1")
    list(GET months ${month} month)
    set(LOGQVR_RELEASE_MONTH "${month} de ${CMAKE_MATCH_2}" PARENT_SCOPE)
endfunction()
logqvr_read_release()

# <file>.gz beside <file>, made by <target>. -n keeps the name and time out of
# the gzip header, so rebuilds give the same bytes (lintian asks for -9 -n).
function(logqvr_gzip file target)
    add_custom_command(
        OUTPUT ${file}.gz
        COMMAND gzip -9 -n -k -f ${file}
        DEPENDS ${file}
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${file}.gz)
endfunction()

function(logqvr_link_map target)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/linkmaps)
    target_link_options(${target} PRIVATE
        "LINKER:-Map=${CMAKE_BINARY_DIR}/linkmaps/$<TARGET_FILE_NAME:${target}>.map")
endfunction()

function(logqvr_program target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "COMPONENT;DESCRIPTION;PAGE" "")
    logqvr_link_map(${target})
    if(WIN32)
        install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
        set_property(GLOBAL APPEND PROPERTY LOGQVR_ZIP_PROGRAMS ${target})
        return()
    endif()
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
            COMPONENT ${arg_COMPONENT})
    # Only the full build makes the packages; the tools-only build for the
    # Windows zips has no use for pages.
    if(NOT LOGQVR_BUILD_APP)
        return()
    endif()
    if(arg_PAGE)
        logqvr_hand_manpage(${target} ${arg_PAGE} page)
    else()
        logqvr_help2man(${target} "${arg_DESCRIPTION}" page)
    endif()
    logqvr_gzip(${page} ${target}_manpage)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${arg_COMPONENT})
endfunction()

function(logqvr_hand_manpage target source out)
    set(page ${CMAKE_BINARY_DIR}/man/${target}.1)
    configure_file(${source} ${page} @ONLY)
    set(${out} ${page} PARENT_SCOPE)
endfunction()

function(logqvr_help2man target description out)
    find_program(LOGQVR_HELP2MAN help2man REQUIRED)
    # help2man writes its headings (NOME, SINOPSE, OPÇÕES) in the language of
    # the locale the program runs in; one of our own spares the machine's
    # configuration.
    set(locales ${CMAKE_BINARY_DIR}/man/locales)
    if(NOT TARGET logqvr_man_locale)
        add_custom_command(
            OUTPUT ${locales}/pt_BR.UTF-8/LC_CTYPE
            COMMAND localedef -i pt_BR -f UTF-8 ${locales}/pt_BR.UTF-8
            VERBATIM)
        add_custom_target(logqvr_man_locale DEPENDS ${locales}/pt_BR.UTF-8/LC_CTYPE)
    endif()
    execute_process(COMMAND date -u -d "${LOGQVR_RELEASE_DATE} 12:00" +%s
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    set(page ${CMAKE_BINARY_DIR}/man/${target}.1)
    # help2man decodes what the program prints but takes --name as Latin-1
    # bytes, so the description goes in afterwards, as written.
    string(REGEX REPLACE "([\\/&])" "\\\\\\1" description "${description}")
    # The page carries the release's date rather than the build's.
    # detect_leaks=0: a sanitizer build's program must not fail over
    # LeakSanitizer where the host forbids it.
    add_custom_command(
        OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E env LOCPATH=${locales} SOURCE_DATE_EPOCH=${epoch}
                ASAN_OPTIONS=detect_leaks=0
                ${LOGQVR_HELP2MAN} --no-info --locale=pt_BR.UTF-8 --section=1
                --name=@LOGQVR_NAME@ --output=${page} $<TARGET_FILE:${target}>
        COMMAND sed -i "s/@LOGQVR_NAME@/${description}/" ${page}
        DEPENDS ${target} logqvr_man_locale
        COMMENT "Manual page of ${target}"
        VERBATIM)
    set(${out} ${page} PARENT_SCOPE)
endfunction()
