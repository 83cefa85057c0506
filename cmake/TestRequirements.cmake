# SPDX-License-Identifier: GPL-3.0-or-later
# What some tests need beyond what building Tavlo needs: Qt's private headers, and the programs
# that make up the private X desktop, its session bus and the tools that drive it. The run command
# installs none of these, and building Tavlo builds every test, so a test whose needs are missing
# is left out, with one line saying what is missing and which packages bring it. The test command
# installs everything and sets TAVLO_REQUIRE_ALL_TESTS, so that no test quietly goes missing there.
include_guard(GLOBAL)
option(TAVLO_REQUIRE_ALL_TESTS "Fail instead of leaving out a test whose needs are missing" OFF)

# True in out_var when an imported target can be linked: it exists, the folders it puts on the
# include path exist, and so do the targets it links to, all the way down. Qt defines its private
# targets even where their headers are not installed, and CMake only fails on them, at the
# generate step, once something links to one.
function(tavlo_target_usable target out_var)
    set(${out_var} FALSE PARENT_SCOPE)
    if(NOT TARGET ${target})
        return()
    endif()
    get_target_property(includes ${target} INTERFACE_INCLUDE_DIRECTORIES)
    foreach(dir IN LISTS includes)
        if(dir AND NOT dir MATCHES "\\$<" AND NOT IS_DIRECTORY "${dir}")
            return()
        endif()
    endforeach()
    get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
    foreach(link IN LISTS links)
        if(link MATCHES "^[A-Za-z0-9_]+::[A-Za-z0-9_]+$")
            tavlo_target_usable(${link} usable)
            if(NOT usable)
                return()
            endif()
        endif()
    endforeach()
    set(${out_var} TRUE PARENT_SCOPE)
endfunction()

# Each requirement is a list of what is missing, TAVLO_TESTS_MISSING_<NAME>, and the packages that
# bring it, TAVLO_TESTS_PACKAGES_<NAME>; both are empty when everything is there.
# tavlo_test_programs(<NAME> <program>:<package>...) looks for programs on the PATH.
function(tavlo_test_programs name)
    set(missing "")
    set(packages "")
    foreach(entry IN LISTS ARGN)
        string(REPLACE ":" ";" entry "${entry}")
        list(GET entry 0 program)
        list(GET entry 1 package)
        string(MAKE_C_IDENTIFIER "TAVLO_PROGRAM_${program}" var)
        find_program(${var} ${program})
        mark_as_advanced(${var})
        if(NOT ${var})
            list(APPEND missing ${program})
            list(APPEND packages ${package})
        endif()
    endforeach()
    set(TAVLO_TESTS_MISSING_${name} "${missing}" PARENT_SCOPE)
    set(TAVLO_TESTS_PACKAGES_${name} "${packages}" PARENT_SCOPE)
endfunction()

# Qt's private Gui headers, through which a unit test installs an input context of its own. Qt's
# Gui package has already looked for XKB::XKB, which the private target links to.
tavlo_target_usable(Qt6::GuiPrivate TAVLO_QT_GUI_PRIVATE_USABLE)
if(NOT TAVLO_QT_GUI_PRIVATE_USABLE)
    set(TAVLO_TESTS_MISSING_QT_GUI_PRIVATE "Qt's private Gui headers")
    set(TAVLO_TESTS_PACKAGES_QT_GUI_PRIVATE qt6-base-private-dev)
endif()

# The private X desktop of tests/e2e/with-desktop.sh: the X server, the window manager with its
# tray, and xprop, which tells when the window manager is up.
tavlo_test_programs(X_DESKTOP Xvfb:xvfb fluxbox:fluxbox xprop:x11-utils)
# What the end-to-end tests drive and look at the desktop with (tests/e2e/DesktopDriver.cpp), and
# the other program's window that one of them puts in front of Tavlo.
tavlo_test_programs(DESKTOP_TOOLS xdotool:xdotool xwininfo:x11-utils xclip:xclip import:imagemagick
                    xmessage:x11-utils)
# The private session bus of tests/e2e/with-session-bus.sh.
tavlo_test_programs(SESSION_BUS dbus-daemon:dbus-daemon)

# A screen reader's view of the note: the accessibility bus and the Python client that reads it,
# both at the paths tst_e2e_textbox starts them from.
set(TAVLO_TESTS_MISSING_AT_SPI "")
set(TAVLO_TESTS_PACKAGES_AT_SPI "")
if(NOT EXISTS /usr/libexec/at-spi-bus-launcher)
    list(APPEND TAVLO_TESTS_MISSING_AT_SPI at-spi-bus-launcher)
    list(APPEND TAVLO_TESTS_PACKAGES_AT_SPI at-spi2-core)
endif()
execute_process(COMMAND /usr/bin/python3 -c "import pyatspi"
                RESULT_VARIABLE TAVLO_PYATSPI_FAILED OUTPUT_QUIET ERROR_QUIET)
if(TAVLO_PYATSPI_FAILED)
    list(APPEND TAVLO_TESTS_MISSING_AT_SPI "the Python module pyatspi")
    list(APPEND TAVLO_TESTS_PACKAGES_AT_SPI python3-pyatspi)
endif()

# An IBus daemon and the m17n engine it composes with, for the input method on the real desktop.
tavlo_test_programs(IBUS ibus:ibus ibus-daemon:ibus)
find_file(TAVLO_IBUS_M17N_COMPONENT m17n.xml
          PATHS /usr/share/ibus/component /usr/local/share/ibus/component NO_DEFAULT_PATH)
mark_as_advanced(TAVLO_IBUS_M17N_COMPONENT)
if(NOT TAVLO_IBUS_M17N_COMPONENT)
    list(APPEND TAVLO_TESTS_MISSING_IBUS "the m17n engine of IBus")
    list(APPEND TAVLO_TESTS_PACKAGES_IBUS ibus-m17n)
endif()

# Unicode's own test files of text segmentation, which the boundaries of the text are checked on.
find_path(TAVLO_UNICODE_AUXILIARY_DIR NAMES GraphemeBreakTest.txt
          PATHS /usr/share/unicode/auxiliary NO_DEFAULT_PATH)
mark_as_advanced(TAVLO_UNICODE_AUXILIARY_DIR)
if(NOT TAVLO_UNICODE_AUXILIARY_DIR OR NOT EXISTS "${TAVLO_UNICODE_AUXILIARY_DIR}/WordBreakTest.txt")
    set(TAVLO_TESTS_MISSING_UNICODE_DATA "Unicode's GraphemeBreakTest.txt and WordBreakTest.txt")
    set(TAVLO_TESTS_PACKAGES_UNICODE_DATA unicode-data)
endif()

# tavlo_tests_need(<out_var> <what> <NAME>...): true in out_var when the requirements are all met.
# Otherwise <what>, the tests that need them, is left out, and one status line says so; with
# TAVLO_REQUIRE_ALL_TESTS the configure fails instead.
function(tavlo_tests_need out_var what)
    set(missing "")
    set(packages "")
    foreach(name IN LISTS ARGN)
        list(APPEND missing ${TAVLO_TESTS_MISSING_${name}})
        list(APPEND packages ${TAVLO_TESTS_PACKAGES_${name}})
    endforeach()
    if(NOT missing)
        set(${out_var} TRUE PARENT_SCOPE)
        return()
    endif()
    set(${out_var} FALSE PARENT_SCOPE)
    list(REMOVE_DUPLICATES missing)
    list(REMOVE_DUPLICATES packages)
    list(JOIN missing ", " missing)
    list(JOIN packages " " packages)
    set(reason "${what}: missing ${missing} (apt install ${packages})")
    if(TAVLO_REQUIRE_ALL_TESTS)
        message(FATAL_ERROR "TAVLO_REQUIRE_ALL_TESTS is on, but this would be left out: ${reason}")
    endif()
    message(STATUS "Left out ${reason}")
endfunction()
