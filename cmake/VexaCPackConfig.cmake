# Read by cpack for every generator: a Debian package of the one-folder layout would put the program into
# /usr itself, so it is refused with the command that makes the right one.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_VEXA_LAYOUT STREQUAL "debian")
    message(FATAL_ERROR "Configure the Debian layout first: cmake -B <build> -DVEXA_INSTALL_LAYOUT=debian")
endif()
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    # The one-folder layout packs as it runs: everything under one top folder.
    set(CPACK_PACKAGING_INSTALL_PREFIX "/vexatool")
endif()
