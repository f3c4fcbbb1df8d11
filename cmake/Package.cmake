# Installation: libraries, headers, tools and a find_package / pkg-config description.
install(DIRECTORY base/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
foreach(dir twotask/include thunk/include)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir})
    install(DIRECTORY ${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  endif()
endforeach()
foreach(t zunt32s mirelink thunka32 thunkb32)
  if(TARGET ${t})
    install(TARGETS ${t} EXPORT zuntTargets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  endif()
endforeach()
install(TARGETS zunt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT zuntTargets NAMESPACE zunt:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zunt)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/zuntConfig.cmake
  "include(\${CMAKE_CURRENT_LIST_DIR}/zuntTargets.cmake)\n"
  "foreach(t zunt32s mirelink thunka32 thunkb32)\n"
  "  if(TARGET zunt::\${t})\n"
  "    set_target_properties(zunt::\${t} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"\${CMAKE_CURRENT_LIST_DIR}/../../../include\")\n"
  "  endif()\n"
  "endforeach()\n")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zuntConfig.cmake DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zunt)
configure_file(cmake/zunt.pc.in ${CMAKE_CURRENT_BINARY_DIR}/zunt.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zunt.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
