# What `cmake --install` puts in a prefix. Windows: the tree scripts/package.sh zips (programs in
# bin/, the MinGW import library and the .def in lib/). Native: the host program, libtagcfg.so.1
# and a CMake package and a pkg-config file, so Linux tooling can build against the library or
# run `tagcfg check`.
install(TARGETS tagcfg tagcfg_cli EXPORT tagcfg_targets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/tagcfg.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

if(WIN32)
  install(TARGETS opcsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TAGCFG_DEF_FILE} DESTINATION ${CMAKE_INSTALL_LIBDIR})
else()
  # The installed host program finds libtagcfg.so.1 beside it, wherever the prefix is moved.
  file(RELATIVE_PATH lib_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(tagcfg_cli PROPERTIES INSTALL_RPATH "$ORIGIN/${lib_from_bin}" EXPORT_NAME cli)

  # find_package(tagcfg): tagcfg::tagcfg (the library and its header) and tagcfg::cli.
  set(cmake_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/tagcfg)
  install(EXPORT tagcfg_targets NAMESPACE tagcfg:: DESTINATION ${cmake_package_dir} FILE tagcfgTargets.cmake)
  include(CMakePackageConfigHelpers)
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/tagcfgConfigVersion.cmake
                                   COMPATIBILITY SameMajorVersion)
  install(FILES cmake/tagcfgConfig.cmake ${PROJECT_BINARY_DIR}/tagcfgConfigVersion.cmake
          DESTINATION ${cmake_package_dir})

  # pkg-config: paths relative to the .pc file, so a prefix given to `cmake --install --prefix`
  # (or a moved tree) still resolves.
  set(pc_dir ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig)
  file(RELATIVE_PATH TAGCFG_PC_LIBDIR ${pc_dir} ${CMAKE_INSTALL_FULL_LIBDIR})
  file(RELATIVE_PATH TAGCFG_PC_INCLUDEDIR ${pc_dir} ${CMAKE_INSTALL_FULL_INCLUDEDIR})
  configure_file(cmake/tagcfg.pc.in ${PROJECT_BINARY_DIR}/tagcfg.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/tagcfg.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()
