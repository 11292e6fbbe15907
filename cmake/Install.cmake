# cmake --install: the program, kubb, the help pages, a desktop entry and its icon. The help is
# also compiled into the program; the installed pages are for reading without it.
include(GNUInstallDirs)

install(TARGETS blockbildung kubb RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/help/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/blockbildung/hilfe
        FILES_MATCHING PATTERN "*.html" PATTERN "*.png")
install(FILES ${PROJECT_SOURCE_DIR}/data/blockbildung.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/blockbildung.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/blockbildung.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
