# Compiler settings shared by every target, and helpers that mark a target as part of a
# runtime library (no exceptions, no RTTI, hidden symbols).

set(ZUNT_WARNINGS -Wall -Wextra -Wshadow $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor> -Wcast-align
    -Wformat=2 -Wimplicit-fallthrough)
if(ZUNT_WERROR)
  list(APPEND ZUNT_WARNINGS -Werror)
endif()

if(ZUNT_SANITIZE)
  string(REPLACE "," ";" _sans "${ZUNT_SANITIZE}")
  foreach(s ${_sans})
    add_compile_options(-fsanitize=${s})
    add_link_options(-fsanitize=${s})
  endforeach()
  add_compile_options(-fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fno-sanitize-recover=all)
endif()

# Fuzzer builds instrument every object for coverage; the fuzz targets add the driver.
if(ZUNT_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# zunt_warnings(target): the project's warning set.
function(zunt_warnings target)
  target_compile_options(${target} PRIVATE ${ZUNT_WARNINGS})
endfunction()

# zunt_runtime(target): code that goes into one of the four shared libraries.
function(zunt_runtime target)
  zunt_warnings(${target})
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>
    -fvisibility=hidden $<$<COMPILE_LANGUAGE:CXX>:-fvisibility-inlines-hidden>)
  target_compile_definitions(${target} PRIVATE ZUNT_BUILDING=1)
endfunction()

# zunt_shared_library(NAME name OBJECTS objlib EXPORTS files... LIBS libs...)
# Wraps an object library into lib<name>.so whose dynamic symbol table holds exactly the
# names listed in the export files (one name a line, '#' comments), through a version script.
function(zunt_shared_library)
  cmake_parse_arguments(A "" "NAME;OBJECTS" "EXPORTS;LIBS" ${ARGN})
  set(names "")
  foreach(f ${A_EXPORTS})
    file(STRINGS ${f} lines)
    foreach(l ${lines})
      string(REGEX REPLACE "#.*" "" l "${l}")
      string(STRIP "${l}" l)
      if(l)
        list(APPEND names ${l})
      endif()
    endforeach()
  endforeach()
  list(SORT names)
  list(REMOVE_DUPLICATES names)
  set(script "{\n")
  if(names)
    string(APPEND script "  global:\n")
  endif()
  foreach(n ${names})
    string(APPEND script "    ${n};\n")
  endforeach()
  string(APPEND script "  local:\n    *;\n};\n")
  set(vs ${CMAKE_CURRENT_BINARY_DIR}/${A_NAME}.map)
  file(CONFIGURE OUTPUT ${vs} CONTENT "${script}")
  string(REPLACE ";" "\n" names_text "${names}")
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/exports/${A_NAME}.txt CONTENT "${names_text}\n")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${A_EXPORTS})

  add_library(${A_NAME} SHARED $<TARGET_OBJECTS:${A_OBJECTS}>)
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS})
  target_link_options(${A_NAME} PRIVATE -Wl,--version-script=${vs})
  if(NOT ZUNT_SANITIZE)
    # Sanitizer runtimes are resolved from the executable, so only plain builds forbid
    # undefined symbols in the library.
    target_link_options(${A_NAME} PRIVATE -Wl,--no-undefined)
  endif()
  set_target_properties(${A_NAME} PROPERTIES LINK_DEPENDS ${vs})
endfunction()
