# Install-time part of cmake/Install.cmake: writes one desktop entry per
# program, its Exec naming the program in the product folder under the prefix
# being installed to. Given: SENDORA_PRODUCT_DIR (absolute, or relative to the
# prefix), SENDORA_DESKTOP_ENTRIES (id=program), SENDORA_DESKTOP_TEMPLATES,
# SENDORA_APPLICATIONS_DIR (relative to the prefix).
set(product_dir "${SENDORA_PRODUCT_DIR}")
if(NOT IS_ABSOLUTE "${product_dir}")
    set(product_dir "${CMAKE_INSTALL_PREFIX}/${product_dir}")
endif()
set(applications_dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${SENDORA_APPLICATIONS_DIR}")
file(MAKE_DIRECTORY "${applications_dir}")

foreach(entry IN LISTS SENDORA_DESKTOP_ENTRIES)
    string(REPLACE "=" ";" entry "${entry}")
    list(GET entry 0 id)
    list(GET entry 1 program)
    set(path "${product_dir}/${program}")
    # Exec quoting of the freedesktop desktop entry format, then its string escapes.
    string(REGEX REPLACE "([\\\\\"`$])" "\\\\\\1" quoted "${path}")
    set(exec "\"${quoted}\"")
    string(REPLACE "\\" "\\\\" exec "${exec}")
    string(REPLACE "%" "%%" SENDORA_EXEC "${exec}")
    string(REPLACE "\\" "\\\\" SENDORA_TRY_EXEC "${path}")

    set(destination "${applications_dir}/${id}.desktop")
    message(STATUS "Installing: ${destination}")
    configure_file("${SENDORA_DESKTOP_TEMPLATES}/${id}.desktop.in" "${destination}" @ONLY)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${destination}")
endforeach()
