# Help page, icon and desktop entry.
#
# Build: the help page and the files it uses are copied into html/ beside
# the program, and the icon is rendered from its SVG into zorbel.png
# (256 x 256, the window icon) beside the program, and into the sizes of the
# hicolor icon theme under icons/.
# Install: the program folder's html/ and zorbel.png go with the program,
# the desktop entry and the icons go where desktops look for them, under
# the application's reverse-DNS id.

include(GNUInstallDirs)

find_program(ZORBEL_RSVG_CONVERT rsvg-convert REQUIRED)

set(ZORBEL_DOC_SRC ${CMAKE_CURRENT_SOURCE_DIR})
set(ZORBEL_ICON_SVG ${ZORBEL_DOC_SRC}/icon/zorbel.svg)
set(ZORBEL_HTML_OUT ${ZORBEL_PROGRAM_DIR}/html)

# The page, its analyser script, and the icon it shows in its heading.
set(ZORBEL_HTML_FILES ${ZORBEL_DOC_SRC}/html/index.htm ${ZORBEL_DOC_SRC}/html/analyser.js)
set(ZORBEL_HTML_OUTPUTS "")
foreach(src IN LISTS ZORBEL_HTML_FILES)
    get_filename_component(name ${src} NAME)
    add_custom_command(
        OUTPUT ${ZORBEL_HTML_OUT}/${name}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${ZORBEL_HTML_OUT}
        COMMAND ${CMAKE_COMMAND} -E copy ${src} ${ZORBEL_HTML_OUT}/${name}
        DEPENDS ${src}
        COMMENT "Copying help page ${name}"
        VERBATIM)
    list(APPEND ZORBEL_HTML_OUTPUTS ${ZORBEL_HTML_OUT}/${name})
endforeach()
# What a fair die does at each board length, for the analyser's ranges.
add_executable(zorbel-fair-die ${PROJECT_SOURCE_DIR}/tools/fair-die.cpp)
target_link_libraries(zorbel-fair-die PRIVATE zorbel_game zorbel_warnings)
set_target_properties(zorbel-fair-die PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    AUTOMOC OFF)
add_custom_command(
    OUTPUT ${ZORBEL_HTML_OUT}/fairdie.js
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZORBEL_HTML_OUT}
    COMMAND zorbel-fair-die ${ZORBEL_HTML_OUT}/fairdie.js
    DEPENDS zorbel-fair-die
    COMMENT "Measuring a fair die for the help page"
    VERBATIM)
list(APPEND ZORBEL_HTML_OUTPUTS ${ZORBEL_HTML_OUT}/fairdie.js)
add_custom_command(
    OUTPUT ${ZORBEL_HTML_OUT}/zorbel.svg
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZORBEL_HTML_OUT}
    COMMAND ${CMAKE_COMMAND} -E copy ${ZORBEL_ICON_SVG} ${ZORBEL_HTML_OUT}/zorbel.svg
    DEPENDS ${ZORBEL_ICON_SVG}
    COMMENT "Copying the icon for the help page"
    VERBATIM)
list(APPEND ZORBEL_HTML_OUTPUTS ${ZORBEL_HTML_OUT}/zorbel.svg)

# Icon PNGs, rendered at their exact sizes rather than scaled from one
# bitmap, so the small ones stay sharp.
set(ZORBEL_ICON_DIR ${CMAKE_CURRENT_BINARY_DIR}/icons)
set(ZORBEL_ICON_SIZES 32 48 64 128 256)
set(ZORBEL_ICON_PNGS "")
foreach(size IN LISTS ZORBEL_ICON_SIZES)
    set(png ${ZORBEL_ICON_DIR}/${size}/${ZORBEL_APP_ID}.png)
    add_custom_command(
        OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${ZORBEL_ICON_DIR}/${size}
        COMMAND ${ZORBEL_RSVG_CONVERT} --width=${size} --height=${size} --format=png
                --output=${png} ${ZORBEL_ICON_SVG}
        DEPENDS ${ZORBEL_ICON_SVG}
        COMMENT "Rendering icon ${size} x ${size}"
        VERBATIM)
    list(APPEND ZORBEL_ICON_PNGS ${png})
endforeach()
set(ZORBEL_WINDOW_ICON ${ZORBEL_PROGRAM_DIR}/zorbel.png)
add_custom_command(
    OUTPUT ${ZORBEL_WINDOW_ICON}
    COMMAND ${CMAKE_COMMAND} -E copy ${ZORBEL_ICON_DIR}/256/${ZORBEL_APP_ID}.png ${ZORBEL_WINDOW_ICON}
    DEPENDS ${ZORBEL_ICON_DIR}/256/${ZORBEL_APP_ID}.png
    COMMENT "Copying the window icon"
    VERBATIM)

set(ZORBEL_DESKTOP_FILE ${ZORBEL_DOC_SRC}/${ZORBEL_APP_ID}.desktop)
add_custom_target(zorbel_doc_assets ALL
    DEPENDS ${ZORBEL_HTML_OUTPUTS} ${ZORBEL_ICON_PNGS} ${ZORBEL_WINDOW_ICON}
    SOURCES ${ZORBEL_HTML_FILES} ${ZORBEL_ICON_SVG} ${ZORBEL_DESKTOP_FILE})

# Installation. The component lets a packager (or a test) install just
# these files: cmake --install <build> --component zorbel_docs.
install(DIRECTORY ${ZORBEL_HTML_OUT}
        DESTINATION ${ZORBEL_INSTALL_DIR}
        COMPONENT zorbel_docs)
install(FILES ${ZORBEL_WINDOW_ICON}
        DESTINATION ${ZORBEL_INSTALL_DIR}
        COMPONENT zorbel_docs)
install(FILES ${ZORBEL_DESKTOP_FILE}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT zorbel_docs)
set(ZORBEL_HICOLOR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
foreach(size IN LISTS ZORBEL_ICON_SIZES)
    install(FILES ${ZORBEL_ICON_DIR}/${size}/${ZORBEL_APP_ID}.png
            DESTINATION ${ZORBEL_HICOLOR}/${size}x${size}/apps
            COMPONENT zorbel_docs)
endforeach()
install(FILES ${ZORBEL_ICON_SVG}
        DESTINATION ${ZORBEL_HICOLOR}/scalable/apps
        RENAME ${ZORBEL_APP_ID}.svg
        COMPONENT zorbel_docs)
