# Installing: the program folder as the program expects it (the executable with pic/, sound/, htm/ and
# data/ beside it) under <prefix>/lib/velquar, read-only for the learner, whose bank is copied to their
# own data folder on the first start. <prefix>/bin holds links to the program and the bank tool; the
# program finds its folder through the link. The desktop entry, icons and AppStream metainfo go where
# desktops look for them.
set(VQ_APP_ID net.velquar.Velquar)
# Installing and packing take what the build made: build first. The install test packs in CI right after
# the build and must not start a build of its own.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS velquar vqbank RUNTIME DESTINATION ${VQ_INSTALL_PROGRAM_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/pic ${PROJECT_SOURCE_DIR}/sound DESTINATION ${VQ_INSTALL_PROGRAM_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/htm DESTINATION ${VQ_INSTALL_PROGRAM_DIR} OPTIONAL)
# Links, the freedesktop files and the Debian package are for Linux desktops; elsewhere the program folder
# is installed as it is.
if(NOT (UNIX AND NOT APPLE))
    return()
endif()
foreach(program velquar vqbank)
    install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
        file(MAKE_DIRECTORY \"\${bin}\")
        file(CREATE_LINK ../${VQ_INSTALL_PROGRAM_DIR}/${program} \"\${bin}/${program}\" SYMBOLIC)
        message(STATUS \"Installing: \${bin}/${program} -> ../${VQ_INSTALL_PROGRAM_DIR}/${program}\")")
endforeach()

set(VQ_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/desktop)
install(FILES ${VQ_DESKTOP_DIR}/${VQ_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${VQ_DESKTOP_DIR}/${VQ_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${VQ_DESKTOP_DIR}/icons/velquar.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME ${VQ_APP_ID}.svg)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${VQ_DESKTOP_DIR}/icons/velquar-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
            RENAME ${VQ_APP_ID}.png)
endforeach()

# cpack -G DEB in the build folder. Library dependencies are computed from the binaries; what the program
# needs beyond them is named here: a Simplified Chinese font for every text, a General MIDI sound font
# for the music, the desktop's Chinese input method for the text fields.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velquar)
set(CPACK_PACKAGE_VENDOR "velquar")
set(CPACK_PACKAGE_CONTACT "velquar developers <velquar@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Exam practice for the IT management qualification (Chinese)")
set(CPACK_PACKAGE_DESCRIPTION "A desktop program in Simplified Chinese for learners preparing for a
professional qualification examination: chapter practice with immediate marking, redoing wrong
questions, timed mock exams, exam points, a study log, charts and a study plan. The learner's history
is kept in one password-protected question bank in their home folder.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont | fluid-soundfont-gm")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fcitx5-frontend-qt6")
include(CPack)
