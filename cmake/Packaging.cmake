# SPDX-License-Identifier: GPL-3.0-or-later
# CPack settings: `cpack -G DEB` (or plain `cpack`) in the build directory makes
# tavlo_<version>_<arch>.deb from the install rules of src/ and share/.
include_guard(GLOBAL)
include(${PROJECT_SOURCE_DIR}/share/tavlo-metadata.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavlo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${TAVLO_AUTHOR}")
set(CPACK_PACKAGE_CONTACT "${TAVLO_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${TAVLO_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${TAVLO_SUMMARY}")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Everything an ordinary `cmake --install` puts in place, plus the Debian copyright and
# changelog files of the "debian" component (share/CMakeLists.txt), which only the package carries.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")

# Debian package.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tavlo_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVLO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TAVLO_HOMEPAGE}")
# The synopsis line is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the extended description under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tavlo is a small note editor that lives in the notification area (system
tray). It keeps one plain-text note in a single resizable window that sits
at the bottom-right corner of the screen, above other windows by default.

The window hides to its tray icon and comes back from it. The note can be
cleared, opened from a text file and saved to one. Tavlo has no settings and
remembers nothing between runs.")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Depends: dpkg-shlibdeps works out the libraries the program links to (needs dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its X11 platform plugin (libqxcb.so) at run time, so dpkg-shlibdeps cannot see it.
# On Debian 12 the plugin ships in libqt6gui6, which the program links to anyway; where another
# package ships it, that package is added to Depends here.
set(TAVLO_EXTRA_DEPENDS "")
find_program(TAVLO_DPKG_QUERY dpkg-query)
if(TAVLO_DPKG_QUERY AND TARGET Qt6::QXcbIntegrationPlugin AND TARGET Qt6::Gui)
    function(tavlo_owner_package target out_var)
        set(${out_var} "" PARENT_SCOPE)
        get_target_property(configs ${target} IMPORTED_CONFIGURATIONS)
        foreach(config IN LISTS configs)
            get_target_property(path ${target} IMPORTED_LOCATION_${config})
            if(path)
                get_filename_component(path "${path}" REALPATH)
                execute_process(COMMAND ${TAVLO_DPKG_QUERY} -S "${path}"
                    OUTPUT_VARIABLE owner RESULT_VARIABLE failed ERROR_QUIET)
                if(NOT failed AND owner MATCHES "^([^:, ]+)")
                    set(${out_var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
                endif()
                return()
            endif()
        endforeach()
    endfunction()
    tavlo_owner_package(Qt6::QXcbIntegrationPlugin xcb_owner)
    tavlo_owner_package(Qt6::Gui gui_owner)
    if(xcb_owner AND NOT xcb_owner STREQUAL gui_owner)
        set(TAVLO_EXTRA_DEPENDS "${xcb_owner}")
    endif()
endif()
if(TAVLO_EXTRA_DEPENDS)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${TAVLO_EXTRA_DEPENDS}")
endif()

# Source package (`make package_source`): the tree without build directories and Git data.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/\\\\.cache/" "~$" "\\\\.swp$")

include(CPack)
