# Runs at install time: writes the desktop entry, the MIME package, the
# AppStream metainfo and the D-Bus activation file under the data folder,
# pointing at the installed program, then rebuilds the desktop databases
# there (not when staging into DESTDIR: the package's own scripts do that).
foreach(dir BREWDECK_INSTALL_BINDIR BREWDECK_INSTALL_DATADIR)
    if(IS_ABSOLUTE "${${dir}}")
        set(${dir}_FULL "${${dir}}")
    else()
        set(${dir}_FULL "${CMAKE_INSTALL_PREFIX}/${${dir}}")
    endif()
endforeach()
set(program "${BREWDECK_INSTALL_BINDIR_FULL}/brewdeck")
set(share "$ENV{DESTDIR}${BREWDECK_INSTALL_DATADIR_FULL}")

# The Exec key of a desktop entry: double quotes where the Desktop Entry
# Specification asks for them, "%" doubled, then the key file's escapes.
string(REGEX MATCH "[ \t\n\"'\\><~|&;$*?#()`]" reserved "${program}")
set(desktop_exec "${program}")
if(reserved)
    string(REGEX REPLACE "([\"`$\\])" "\\\\\\1" desktop_exec "${desktop_exec}")
    set(desktop_exec "\"${desktop_exec}\"")
endif()
string(REPLACE "%" "%%" desktop_exec "${desktop_exec}")
string(REPLACE "\\" "\\\\" desktop_exec "${desktop_exec}")

# The Exec line of a D-Bus activation file: single quotes unless the path is
# plain, as dbus-daemon splits it, then the key file's escapes.
set(dbus_exec "${program}")
if(NOT program MATCHES "^[A-Za-z0-9/._+,:@=-]+$")
    string(REPLACE "'" "'\\''" dbus_exec "${dbus_exec}")
    set(dbus_exec "'${dbus_exec}'")
endif()
string(REPLACE "\\" "\\\\" dbus_exec "${dbus_exec}")

set(MARKER "Installed with Brewdeck ${BREWDECK_VERSION}.")
set(APP_NAME "Brewdeck")
set(APP_ICON "brewdeck")
set(MIME_TYPE "application/x-brewdeck-document")
set(DOCUMENT_ICON "application-x-brewdeck-document")
set(TYPE_NAME "Brewdeck.Document")
set(BUS_NAME "Brewdeck.Document")
set(VERSION "${BREWDECK_VERSION}")
set(METAINFO_ID "${BREWDECK_METAINFO_ID}")
set(GLOBS "    <glob pattern=\"*.bdk\"/>\n")

function(brewdeck_install_template template destination)
    set(EXEC "${ARGN}")
    message(STATUS "Installing: ${destination}")
    configure_file("${BREWDECK_RES_DIR}/${template}" "${destination}" @ONLY)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${destination}")
    set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()

brewdeck_install_template(desktop/brewdeck.desktop.in "${share}/applications/brewdeck.desktop" "${desktop_exec}")
brewdeck_install_template(desktop/brewdeck-mime.xml.in "${share}/mime/packages/brewdeck.xml")
brewdeck_install_template(desktop/brewdeck.metainfo.xml.in
    "${share}/metainfo/${BREWDECK_METAINFO_ID}.metainfo.xml")
brewdeck_install_template(dbus/Brewdeck.Document.service.in
    "${share}/dbus-1/services/Brewdeck.Document.service" "${dbus_exec}")

# The icons and the interface description carry the same mark as a comment,
# so that the program, started with this data folder as its own (an install
# into ~/.local), takes none of them for a file it registered itself.
function(brewdeck_install_marked source destination)
    file(READ "${BREWDECK_RES_DIR}/${source}" content)
    string(FIND "${content}" "?>\n" declaration_end)
    set(comment "<!-- ${MARKER} -->\n")
    if(content MATCHES "^<\\?xml" AND declaration_end GREATER 0)
        math(EXPR at "${declaration_end} + 3")
        string(SUBSTRING "${content}" 0 ${at} head)
        string(SUBSTRING "${content}" ${at} -1 tail)
        set(content "${head}${comment}${tail}")
    else()
        set(content "${comment}${content}")
    endif()
    message(STATUS "Installing: ${destination}")
    file(WRITE "${destination}" "${content}")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${destination}")
    set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()

brewdeck_install_marked(icons/brewdeck.svg "${share}/icons/hicolor/scalable/apps/brewdeck.svg")
brewdeck_install_marked(icons/brewdeck-document.svg
    "${share}/icons/hicolor/scalable/mimetypes/application-x-brewdeck-document.svg")
brewdeck_install_marked(dbus/Brewdeck.IBrewdeck.xml "${share}/dbus-1/interfaces/Brewdeck.IBrewdeck.xml")

if("$ENV{DESTDIR}" STREQUAL "")
    find_program(BREWDECK_UPDATE_MIME update-mime-database)
    find_program(BREWDECK_UPDATE_DESKTOP update-desktop-database)
    if(BREWDECK_UPDATE_MIME)
        execute_process(COMMAND "${BREWDECK_UPDATE_MIME}" "${share}/mime" OUTPUT_QUIET)
    endif()
    if(BREWDECK_UPDATE_DESKTOP)
        execute_process(COMMAND "${BREWDECK_UPDATE_DESKTOP}" "${share}/applications")
    endif()
endif()
