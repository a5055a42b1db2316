# Installation (GNUInstallDirs), the manual pages, bash completion and the Debian package.
#
# The programs, the desktop entry, the icon and AppStream metainfo, pelmora(1), pelmora-cli(1)
# and pelmora-sim(1) made at build time from the programs' own --help (help2man), so they
# never drift, and an example sysctl drop-in that is installed only as documentation.
include(GNUInstallDirs)

set(PELMORA_APP_ID io.github.pelmora.Pelmora)
set(PELMORA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
# Lower case, whatever the project's name: the Debian package's documentation directory.
set(PELMORA_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/pelmora)

set(PELMORA_PROGRAMS pelmora-cli pelmora-sim)
if(TARGET pelmora)
    list(PREPEND PELMORA_PROGRAMS pelmora)
endif()
install(TARGETS ${PELMORA_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(TARGET pelmora)
    install(FILES ${PELMORA_PACKAGING_DIR}/${PELMORA_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PELMORA_PACKAGING_DIR}/${PELMORA_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${PELMORA_PACKAGING_DIR}/icons/${PELMORA_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size 48 256)
        install(FILES ${PELMORA_PACKAGING_DIR}/icons/${size}/${PELMORA_APP_ID}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
endif()

install(FILES ${PELMORA_PACKAGING_DIR}/copyright DESTINATION ${PELMORA_DOCDIR})
# The release history, gzipped as Debian wants it.
add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
    COMMAND sh -c "gzip -9nc '${PELMORA_PACKAGING_DIR}/changelog' > changelog.gz"
    DEPENDS ${PELMORA_PACKAGING_DIR}/changelog
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR} VERBATIM)
add_custom_target(pelmora_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${PELMORA_DOCDIR})
install(FILES ${PELMORA_PACKAGING_DIR}/examples/60-pelmora.conf
        DESTINATION ${PELMORA_DOCDIR}/examples)

# bash completion: where bash-completion looks (its completionsdir, under our prefix).
set(PELMORA_COMPLETIONSDIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
    execute_process(
        COMMAND ${PKG_CONFIG_EXECUTABLE} --define-variable=prefix=${CMAKE_INSTALL_PREFIX}
                --define-variable=datadir=${CMAKE_INSTALL_FULL_DATADIR}
                --variable=completionsdir bash-completion
        OUTPUT_VARIABLE completionsdir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status
        ERROR_QUIET)
    if(status EQUAL 0 AND completionsdir MATCHES "^${CMAKE_INSTALL_PREFIX}/")
        file(RELATIVE_PATH PELMORA_COMPLETIONSDIR ${CMAKE_INSTALL_PREFIX} ${completionsdir})
    endif()
endif()
install(FILES ${PELMORA_PACKAGING_DIR}/completion/pelmora-cli
        DESTINATION ${PELMORA_COMPLETIONSDIR})

# Manual pages, gzipped as Debian wants them. Not in sanitizer or fuzzer builds, whose programs
# may report at exit or not run alone.
find_program(HELP2MAN help2man)
find_package(Python3 QUIET COMPONENTS Interpreter)
set(PELMORA_MAN_PAGES OFF)
if(HELP2MAN AND Python3_FOUND AND NOT (ENABLE_ASAN OR ENABLE_UBSAN OR ENABLE_TSAN OR ENABLE_FUZZER))
    set(PELMORA_MAN_PAGES ON)
endif()
message(STATUS "Pelmora manual pages (help2man): ${PELMORA_MAN_PAGES}")
if(PELMORA_MAN_PAGES)
    set(man_dir ${PROJECT_BINARY_DIR}/man)
    file(MAKE_DIRECTORY ${man_dir})
    add_custom_command(
        OUTPUT ${man_dir}/pelmora-cli-commands.h2m
        COMMAND ${Python3_EXECUTABLE} ${PELMORA_PACKAGING_DIR}/man/cli-commands.py
                $<TARGET_FILE:pelmora-cli> ${man_dir}/pelmora-cli-commands.h2m
        DEPENDS pelmora-cli ${PELMORA_PACKAGING_DIR}/man/cli-commands.py
        COMMENT "pelmora-cli's commands for its manual page" VERBATIM)
    set(man_pages "")
    foreach(program ${PELMORA_PROGRAMS})
        set(includes --include ${PELMORA_PACKAGING_DIR}/man/${program}.h2m)
        set(extra_depends "")
        if(program STREQUAL "pelmora-cli")
            list(APPEND includes --include ${man_dir}/pelmora-cli-commands.h2m)
            list(APPEND extra_depends ${man_dir}/pelmora-cli-commands.h2m)
        endif()
        # Run by name from its own directory, so the usage lines name it plainly; the window
        # prints its help without a display on Qt's offscreen platform.
        add_custom_command(
            OUTPUT ${man_dir}/${program}.1.gz
            COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                    "PATH=$<TARGET_FILE_DIR:${program}>:/usr/bin:/bin"
                    ${HELP2MAN} --no-info --section 1 --source "Pelmora ${PROJECT_VERSION}"
                    --manual "Pelmora" ${includes} --output ${man_dir}/${program}.1 ${program}
            COMMAND gzip -9nf ${man_dir}/${program}.1
            DEPENDS ${program} ${PELMORA_PACKAGING_DIR}/man/${program}.h2m ${extra_depends}
            COMMENT "Manual page ${program}(1)" VERBATIM)
        list(APPEND man_pages ${man_dir}/${program}.1.gz)
    endforeach()
    add_custom_target(pelmora_man_pages ALL DEPENDS ${man_pages})
    install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    find_program(GROFF groff)
    if(BUILD_TESTING AND GROFF)
        add_test(NAME man_pages_hyphenate_no_word
                 COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/check-man-hyphenation.sh ${man_pages})
        set_tests_properties(man_pages_hyphenate_no_word PROPERTIES TIMEOUT 60)
    endif()
endif()

if(BUILD_TESTING)
    # The completion offers every command and every option that the program's --help lists.
    add_test(NAME bash_completion_lists_every_command
             COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/check-completion.sh
                     ${PELMORA_PACKAGING_DIR}/completion/pelmora-cli $<TARGET_FILE:pelmora-cli>)
    set_tests_properties(bash_completion_lists_every_command PROPERTIES TIMEOUT 60)
endif()

# The Debian package: cpack -G DEB in the build directory.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Pelmora developers")
set(CPACK_PACKAGE_CONTACT "The Pelmora developers <pelmora@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set-up tool for network cameras")
set(CPACK_PACKAGE_DESCRIPTION
    "Pelmora finds every network camera that answers on the LAN, lists them live
and changes a camera's addressing, bandwidth limit, clock, time zone, date
format and PPPoE settings, and reboots it. It tells what is wrong with a
camera's addressing as seen from this PC.
.
This package holds the desktop program (pelmora), a command-line tool that
does the same without a window (pelmora-cli) and a camera simulator for
trying it out (pelmora-sim).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
