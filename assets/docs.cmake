# Help page, icon and desktop entry.
#
# Build: the help page and the files it uses are copied into html/ beside
# the program, and the icon is rendered from its SVG into zorbel.png
# (256 x 256) and zorbel-32.png (32 x 32), also beside the program.
# Install: the program folder's html/ and icon PNGs go with the program,
# the desktop entry and the icons go where desktops look for them.

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
add_custom_command(
    OUTPUT ${ZORBEL_HTML_OUT}/zorbel.svg
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZORBEL_HTML_OUT}
    COMMAND ${CMAKE_COMMAND} -E copy ${ZORBEL_ICON_SVG} ${ZORBEL_HTML_OUT}/zorbel.svg
    DEPENDS ${ZORBEL_ICON_SVG}
    COMMENT "Copying the icon for the help page"
    VERBATIM)
list(APPEND ZORBEL_HTML_OUTPUTS ${ZORBEL_HTML_OUT}/zorbel.svg)

# Icon PNGs, rendered at their exact sizes rather than scaled from one
# bitmap, so the small one stays sharp.
set(ZORBEL_ICON_PNGS "")
foreach(size 256 32)
    if(size EQUAL 256)
        set(png ${ZORBEL_PROGRAM_DIR}/zorbel.png)
    else()
        set(png ${ZORBEL_PROGRAM_DIR}/zorbel-${size}.png)
    endif()
    add_custom_command(
        OUTPUT ${png}
        COMMAND ${ZORBEL_RSVG_CONVERT} --width=${size} --height=${size} --format=png
                --output=${png} ${ZORBEL_ICON_SVG}
        DEPENDS ${ZORBEL_ICON_SVG}
        COMMENT "Rendering icon ${size} x ${size}"
        VERBATIM)
    list(APPEND ZORBEL_ICON_PNGS ${png})
endforeach()

add_custom_target(zorbel_doc_assets ALL
    DEPENDS ${ZORBEL_HTML_OUTPUTS} ${ZORBEL_ICON_PNGS}
    SOURCES ${ZORBEL_HTML_FILES} ${ZORBEL_ICON_SVG} ${ZORBEL_DOC_SRC}/zorbel.desktop)

# Installation. The component lets a packager (or a test) install just
# these files: cmake --install <build> --component zorbel_docs.
set(ZORBEL_DOC_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/zorbel)
install(DIRECTORY ${ZORBEL_HTML_OUT}
        DESTINATION ${ZORBEL_DOC_INSTALL_DIR}
        COMPONENT zorbel_docs)
install(FILES ${ZORBEL_ICON_PNGS}
        DESTINATION ${ZORBEL_DOC_INSTALL_DIR}
        COMPONENT zorbel_docs)
install(FILES ${ZORBEL_DOC_SRC}/zorbel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT zorbel_docs)
set(ZORBEL_HICOLOR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${ZORBEL_PROGRAM_DIR}/zorbel.png
        DESTINATION ${ZORBEL_HICOLOR}/256x256/apps
        COMPONENT zorbel_docs)
install(FILES ${ZORBEL_PROGRAM_DIR}/zorbel-32.png
        DESTINATION ${ZORBEL_HICOLOR}/32x32/apps
        RENAME zorbel.png
        COMPONENT zorbel_docs)
install(FILES ${ZORBEL_ICON_SVG}
        DESTINATION ${ZORBEL_HICOLOR}/scalable/apps
        COMPONENT zorbel_docs)
