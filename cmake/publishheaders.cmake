# The program's layers (app/) publish their headers one layer at a time.
#
# Headers are included by layer ("core/formview.h", "connection/retry.h").
# Each layer publishes its headers through an include folder of its own in the
# build tree, holding just that layer, so a target sees only the layers it
# links: an include that goes up a layer fails to compile instead of quietly
# closing a circle.
function(logqvr_publish_headers target)
    get_filename_component(layer ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(root ${CMAKE_CURRENT_BINARY_DIR}/include)
    get_target_property(sources ${target} SOURCES)
    set(published)
    foreach(source IN LISTS sources)
        if(source MATCHES "\\.h$")
            set(LOGQVR_HEADER ${CMAKE_CURRENT_SOURCE_DIR}/${source})
            file(CONFIGURE OUTPUT ${root}/${layer}/${source}
                CONTENT "#include \"@LOGQVR_HEADER@\"\n" @ONLY)
            list(APPEND published ${root}/${layer}/${source})
        endif()
    endforeach()
    # A header taken off the list stops being reachable in an old build tree too.
    file(GLOB stale ${root}/${layer}/*.h)
    list(REMOVE_ITEM stale ${published})
    if(stale)
        file(REMOVE ${stale})
    endif()
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# A piece a layer writes once per system: `name`.cpp on Linux, `name`_win32.cpp
# with the Windows helpers (win32/) on Windows.
function(logqvr_system_source target name)
    if(WIN32)
        target_sources(${target} PRIVATE ${name}_win32.cpp)
        target_link_libraries(${target} PRIVATE logqvr_win32)
    else()
        target_sources(${target} PRIVATE ${name}.cpp)
    endif()
endfunction()
