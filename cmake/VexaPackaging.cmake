# Installation layouts and the Debian package.
#
#   folder (default): everything in one folder, as in the build tree (cmake --install --prefix DIR).
#   debian: what a Debian user expects, for cpack -G DEB:
#     /usr/lib/vexatool/            the program with translations/, plugins/, ColumnConfig.xml and the user
#                                   manuals beside it (the program finds them next to its executable, so they
#                                   stay together; the manuals are not in /usr/share/doc, which a system may
#                                   leave out). The manufacturer's key tool is not installed: it is a test tool.
#     /usr/lib/vexatool/Setup.xml   -> /etc/vexatool/Setup.xml, a conffile that upgrades leave as edited
#     /usr/bin/vexatool             -> ../lib/vexatool/VEXATool
#     /usr/bin/vexa                 the command-line client
#     /usr/share/applications, icons/hicolor, metainfo, man/man1, doc/vexatool
# The layout changes only what is installed where, never what is compiled, so one build tree can switch.

set(_package_dir "${CMAKE_SOURCE_DIR}/packaging")
set(VEXA_APP_ID "org.vexatool.VexaTool")

if(VEXA_INSTALL_LAYOUT STREQUAL "debian")
    set(VEXA_INSTALL_BINDIR "bin")
    install(TARGETS vexa-cli RUNTIME DESTINATION "${VEXA_INSTALL_BINDIR}")
    if(VEXA_GUI)
        install(CODE "
            set(_root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
            file(MAKE_DIRECTORY \"\${_root}/bin\")
            file(CREATE_LINK \"../${VEXA_INSTALL_APPDIR}/VEXATool\" \"\${_root}/bin/vexatool\" SYMBOLIC)
            file(CREATE_LINK \"/etc/vexatool/Setup.xml\" \"\${_root}/${VEXA_INSTALL_APPDIR}/Setup.xml\" SYMBOLIC)
        ")
        install(FILES "${_package_dir}/linux/${VEXA_APP_ID}.desktop" DESTINATION share/applications)
        install(FILES "${_package_dir}/linux/${VEXA_APP_ID}.metainfo.xml" DESTINATION share/metainfo)
        install(FILES "${CMAKE_SOURCE_DIR}/plugins/skins/commonskin/icons-src/logo.svg"
                DESTINATION share/icons/hicolor/scalable/apps RENAME "${VEXA_APP_ID}.svg")
    endif()

    # Manual pages and the changelog (a native package's) compressed as Debian wants them (-n: no name or time, reproducible).
    find_program(VEXA_GZIP gzip REQUIRED)
    set(_gz_dir "${CMAKE_BINARY_DIR}/packaging")
    set(_gz_files)
    foreach(_pair "linux/vexatool.1;vexatool.1" "linux/vexa.1;vexa.1" "debian/changelog;changelog")
        list(GET _pair 0 _source)
        list(GET _pair 1 _name)
        add_custom_command(OUTPUT "${_gz_dir}/${_name}.gz"
            COMMAND ${CMAKE_COMMAND} -E make_directory "${_gz_dir}"
            COMMAND ${VEXA_GZIP} -9nc "${_package_dir}/${_source}" > "${_gz_dir}/${_name}.gz"
            DEPENDS "${_package_dir}/${_source}"
            VERBATIM)
        list(APPEND _gz_files "${_gz_dir}/${_name}.gz")
    endforeach()
    add_custom_target(vexa_package_docs ALL DEPENDS ${_gz_files})
    install(FILES "${_gz_dir}/vexa.1.gz" DESTINATION share/man/man1)
    if(VEXA_GUI)
        install(FILES "${_gz_dir}/vexatool.1.gz" DESTINATION share/man/man1)
    endif()
    install(FILES "${_gz_dir}/changelog.gz" "${_package_dir}/debian/copyright"
            DESTINATION share/doc/vexatool)
    install(FILES "${CMAKE_SOURCE_DIR}/README.md" DESTINATION share/doc/vexatool)
else()
    install(TARGETS vexa-cli RUNTIME DESTINATION "${VEXA_INSTALL_APPDIR}")
endif()

set(CPACK_PACKAGE_NAME "vexatool")
set(CPACK_PACKAGE_VENDOR "VEXA Tool team")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find, activate and set up network video devices")
set(CPACK_PACKAGE_CONTACT "VEXA Tool team <maintainers@vexatool.invalid>")
set(CPACK_PACKAGE_FILE_NAME "vexatool-${PROJECT_VERSION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "net")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# No Homepage field: the project has no web site; its README (in /usr/share/doc/vexatool) is where it is
# described and reached.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so not found by the library scan: the window system, the SVG images of the skin and
# the image formats. (The export writes its workbook itself; the ODBC driver is used only on Windows.)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# The first line of the control file's description is the summary above; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "VEXA Tool lists every network video device that answers on the local\n\
network, live. It activates factory-new devices, changes network\n\
parameters (one device, a batch, or a deployment plan written in a\n\
spreadsheet, with a receipt of what was done), resets forgotten passwords\n\
and exports the device list.\n\
.\n\
The command-line client vexa does the same from scripts.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${_package_dir}/debian/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_SOURCE_DIR}/cmake/VexaCPackConfig.cmake")
set(CPACK_VEXA_LAYOUT "${VEXA_INSTALL_LAYOUT}")
set(CPACK_GENERATOR "TGZ")
include(CPack)
