# `cmake --install` (`make install PREFIX=...`): the programs, the sample show,
# the manual pages, the README and the show makers' guide, the desktop entry
# and the Debian copyright and changelog files.
include(GNUInstallDirs)
set(VELMORA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/velmora)

install(TARGETS ${VELMORA_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The show qxshow writes at build time; nothing else that runs there (a log,
# captured frames) goes with it.
install(FILES ${VELMORA_SAMPLE_SHOW_DIR}/MORVAST.QXD ${VELMORA_SAMPLE_SHOW_DIR}/MORVAST.QXP
        DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora/sample_show)

# Manual pages and the changelog compressed as Debian wants them (gzip -9n:
# no name or time stamp inside, so every build gives the same bytes).
set(VELMORA_COMPRESSED_DIR ${CMAKE_BINARY_DIR}/compressed)
set(compressed_pages)
foreach(program IN LISTS VELMORA_PROGRAMS)
  set(page ${PROJECT_SOURCE_DIR}/man/${program}.1)
  set(compressed ${VELMORA_COMPRESSED_DIR}/${program}.1.gz)
  add_custom_command(OUTPUT ${compressed}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${VELMORA_COMPRESSED_DIR}
                     COMMAND gzip -9n -c ${page} > ${compressed}
                     DEPENDS ${page} VERBATIM)
  list(APPEND compressed_pages ${compressed})
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${VELMORA_COMPRESSED_DIR}/changelog.gz
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${VELMORA_COMPRESSED_DIR}
                   COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/packaging/changelog > ${VELMORA_COMPRESSED_DIR}/changelog.gz
                   DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog VERBATIM)
add_custom_target(compressed_docs ALL DEPENDS ${compressed_pages} ${VELMORA_COMPRESSED_DIR}/changelog.gz)
install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright ${VELMORA_COMPRESSED_DIR}/changelog.gz
        DESTINATION ${VELMORA_DOC_DIR})
# The guide and the picture the README shows, where the README's links find them.
install(FILES ${PROJECT_SOURCE_DIR}/docs/show-format.md ${PROJECT_SOURCE_DIR}/docs/sample-show.jpg
        DESTINATION ${VELMORA_DOC_DIR}/docs)

# The desktop entry starts the installed player on the installed sample show,
# so its paths are those of the prefix installed into, known only at install
# time (cpack installs under /usr, whatever the build was configured with).
install(CODE "
  set(VELMORA_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/packaging/velmora.desktop.in\")
  set(VELMORA_DESKTOP_ENTRY \"${CMAKE_BINARY_DIR}/packaging/velmora.desktop\")
  set(VELMORA_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  set(VELMORA_DATADIR \"${CMAKE_INSTALL_DATADIR}\")")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/install_desktop_entry.cmake)
