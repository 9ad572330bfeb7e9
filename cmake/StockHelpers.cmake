# Build helpers shared by every component.

# stock_platform_component(NAME [LIBS ...])
# Compiles every .cpp of the calling folder into the object library stock_<NAME>; the objects
# end up in libstockhost. LIBS are the external libraries the component uses.
function(stock_platform_component name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(stock_${name} OBJECT ${sources})
  target_include_directories(stock_${name} PUBLIC ${PROJECT_SOURCE_DIR}/platform ${PROJECT_SOURCE_DIR})
  target_link_libraries(stock_${name} PUBLIC ${ARG_LIBS})
  set_property(GLOBAL APPEND PROPERTY STOCK_PLATFORM_COMPONENTS stock_${name})
endfunction()

# add_report_plugin(NAME SOURCES ...)
# Builds a report plug-in: a MODULE library NAME.so with hidden visibility, linked to
# libstockhost and carrying the frame. Registers a test that the library exports exactly
# Imprimir and ClassDll.
function(add_report_plugin name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES} $<TARGET_OBJECTS:stock_frame>)
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/plugins)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/platform ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE stockhost)
  # Inline templates of the standard library would otherwise leak out as weak symbols.
  target_link_options(${name} PRIVATE -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/plugin-exports.map)
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/plugin-exports.map)
  add_test(NAME ${name}.exports
    COMMAND ${CMAKE_COMMAND} -DLIB=$<TARGET_FILE:${name}> -P ${PROJECT_SOURCE_DIR}/cmake/CheckExports.cmake)
  set_property(GLOBAL APPEND PROPERTY STOCK_PLUGINS ${name})
endfunction()

# stock_add_test(NAME SOURCES ... [LIBS ...])
# A GoogleTest executable run by CTest under a non-UTC time zone, so that no date in a test
# depends on the machine. An executable where some test was skipped, and none failed, shows
# in CTest as skipped (exit code 77).
function(stock_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/platform ${PROJECT_SOURCE_DIR}
    ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE stockhost GTest::gtest stock_test_main ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77
    ENVIRONMENT "TZ=America/Sao_Paulo;STOCK_SOURCE_DIR=${PROJECT_SOURCE_DIR};STOCK_PLUGIN_DIR=${PROJECT_BINARY_DIR}/plugins;STOCK_DEFINITION_DIR=${PROJECT_SOURCE_DIR}/definitions")
endfunction()

# stock_add_bench(NAME SOURCES ... [LIBS ...])
# A benchmark executable (not a test): links stockhost, sees bench/support/BenchUtil.h and
# knows the build's plug-in folder and the source's definitions.
function(stock_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/bench)
  target_link_libraries(${name} PRIVATE stockhost ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE STOCK_BUILD_DIR="${PROJECT_BINARY_DIR}"
                                             STOCK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  get_property(plugins GLOBAL PROPERTY STOCK_PLUGINS)
  if(plugins)
    add_dependencies(${name} ${plugins})
  endif()
endfunction()
