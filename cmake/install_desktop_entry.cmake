# Run by `cmake --install` (and cpack): writes the desktop entry with the
# paths of the prefix installed into and installs it.
set(data "${CMAKE_INSTALL_PREFIX}/${VELMORA_DATADIR}")
set(program "${CMAKE_INSTALL_PREFIX}/${VELMORA_BINDIR}/velmora")
set(show "${data}/velmora/sample_show")
# Quoted only where a blank needs it: readers of the entry take its first
# word for the program.
foreach(path program show)
  if(${path} MATCHES " ")
    set(${path} "\"${${path}}\"")
  endif()
endforeach()
configure_file(${VELMORA_DESKTOP_TEMPLATE} ${VELMORA_DESKTOP_ENTRY} @ONLY)
file(INSTALL DESTINATION "${data}/applications" TYPE FILE FILES ${VELMORA_DESKTOP_ENTRY})
