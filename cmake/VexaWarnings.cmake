# Project warning set, applied per target so that third-party code is not affected.
function(vexa_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast -Wnon-virtual-dtor>)
    if(VEXA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# Adds the listed subdirectories that exist; folders of later features join the build as they arrive.
macro(vexa_add_existing_subdirs)
    foreach(_dir ${ARGN})
        if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${_dir}/CMakeLists.txt")
            add_subdirectory(${_dir})
        endif()
    endforeach()
endmacro()
