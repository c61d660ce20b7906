# Runs at install time, after the executable went into BREWDECK_INSTALL_APPDIR:
# links BREWDECK_INSTALL_BINDIR/brewdeck to it and provisions the server
# runtime in the same folder, since the program finds the runtime beside its
# own real path.
foreach(dir BREWDECK_INSTALL_APPDIR BREWDECK_INSTALL_BINDIR)
    if(IS_ABSOLUTE "${${dir}}")
        set(${dir}_FULL "${${dir}}")
    else()
        set(${dir}_FULL "${CMAKE_INSTALL_PREFIX}/${${dir}}")
    endif()
endforeach()

set(appdir "$ENV{DESTDIR}${BREWDECK_INSTALL_APPDIR_FULL}")
set(link "$ENV{DESTDIR}${BREWDECK_INSTALL_BINDIR_FULL}/brewdeck")
file(RELATIVE_PATH target "${BREWDECK_INSTALL_BINDIR_FULL}" "${BREWDECK_INSTALL_APPDIR_FULL}/brewdeck")
message(STATUS "Installing: ${link} -> ${target}")
file(MAKE_DIRECTORY "$ENV{DESTDIR}${BREWDECK_INSTALL_BINDIR_FULL}")
file(REMOVE "${link}")
file(CREATE_LINK "${target}" "${link}" SYMBOLIC RESULT failed)
if(failed)
    message(FATAL_ERROR "cannot link ${link} to ${target}: ${failed}")
endif()
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${link}")

message(STATUS "Provisioning the server runtime in ${appdir}")
execute_process(COMMAND /bin/sh "${BREWDECK_PROVISION_SCRIPT}" "${appdir}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "provisioning the server runtime in ${appdir} failed")
endif()
