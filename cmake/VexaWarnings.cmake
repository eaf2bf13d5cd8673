# Project warning set and Qt safety macros, applied per target so that third-party code is not affected.

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
