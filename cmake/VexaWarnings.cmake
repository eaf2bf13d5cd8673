# Project warning set, Qt safety macros and layer rules, applied per target so that third-party code is not affected.

# Qt's stricter string, URL and connect rules for every target of the project: texts meet QString through
# an explicit encoding, URLs through an explicit parse, and connects never narrow silently.
if(NOT TARGET vexa_qt_rules)
    add_library(vexa_qt_rules INTERFACE)
    target_compile_definitions(vexa_qt_rules INTERFACE
        QT_NO_CAST_FROM_ASCII
        QT_NO_CAST_TO_ASCII
        QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
        QT_NO_URL_CAST_FROM_STRING)
endif()

function(vexa_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast -Wnon-virtual-dtor>)
    if(VEXA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    target_link_libraries(${target} PRIVATE vexa_qt_rules)
endfunction()

# Adds the listed subdirectories that exist; folders of later features join the build as they arrive.
macro(vexa_add_existing_subdirs)
    foreach(_dir ${ARGN})
        if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${_dir}/CMakeLists.txt")
            add_subdirectory(${_dir})
        endif()
    endforeach()
endmacro()

# Fails the configuration when target reaches any of the forbidden libraries through its link interface, so
# that a layer's promise (discovery never links the widget module) is kept by the build, not by review.
# Call it at the end of the top-level file, once every target exists.
function(vexa_forbid_links target)
    set(_todo ${target})
    set(_seen "")
    while(_todo)
        list(POP_FRONT _todo _current)
        if(_current IN_LIST _seen OR NOT TARGET ${_current})
            continue()
        endif()
        list(APPEND _seen ${_current})
        get_target_property(_alias ${_current} ALIASED_TARGET)
        if(_alias)
            set(_current ${_alias})
        endif()
        foreach(_property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
            get_target_property(_links ${_current} ${_property})
            if(NOT _links)
                continue()
            endif()
            foreach(_link ${_links})
                string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" _link "${_link}")
                if(_link IN_LIST ARGN)
                    message(FATAL_ERROR "${target} must not link ${_link} (reached through ${_current})")
                endif()
                list(APPEND _todo ${_link})
            endforeach()
        endforeach()
    endwhile()
endfunction()
