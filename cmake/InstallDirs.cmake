# Where `cmake --install` and the package put things: programs in bin/, their
# data files in share/hivewarden/ (on Windows beside the programs, where the
# program looks first), the documentation in share/doc/hivewarden/.
include(GNUInstallDirs)
if(WIN32)
  set(HW_INSTALL_DATADIR ${CMAKE_INSTALL_BINDIR})
else()
  set(HW_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/hivewarden)
endif()
set(HW_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/hivewarden)

# The data folder as the programs find it from their own folder.
cmake_path(ABSOLUTE_PATH HW_INSTALL_DATADIR BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX}
           OUTPUT_VARIABLE hw_data)
file(RELATIVE_PATH HW_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${hw_data})
if(HW_DATA_FROM_BIN STREQUAL "")
  set(HW_DATA_FROM_BIN .)
endif()
