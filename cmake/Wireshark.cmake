# Wireshark pieces: the compiled dissector plugin (when Wireshark's development files are there)
# and the extcap program Wireshark runs for live capture. Both land in build/wireshark/ in the
# layout of Wireshark's own folders, so that tests point Wireshark at the build.
# Debian's Wireshark looks in its per-architecture folder (as the Lua dissector's install does).
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(wireshark_lib lib/${CMAKE_LIBRARY_ARCHITECTURE})
else()
  set(wireshark_lib lib)
endif()
set(PROTMON_WIRESHARK_DIR ${wireshark_lib}/wireshark
    CACHE STRING "Wireshark's folder below the install prefix (plugins/, extcap/)")
set(WIRESHARK_BUILD_DIR ${CMAKE_BINARY_DIR}/wireshark)

find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(WIRESHARK_DEV QUIET IMPORTED_TARGET wireshark)
endif()
# An instrumented plugin cannot be loaded by the uninstrumented tshark of the tests.
set(plugin_default ${WIRESHARK_DEV_FOUND})
if(ENABLE_SANITIZERS OR ENABLE_FUZZING OR ENABLE_COVERAGE)
  set(plugin_default OFF)
endif()
option(BUILD_WIRESHARK_PLUGIN "Build the compiled Wireshark dissector (needs libwireshark-dev)"
       ${plugin_default})
if(BUILD_WIRESHARK_PLUGIN)
  if(NOT WIRESHARK_DEV_FOUND)
    message(FATAL_ERROR "BUILD_WIRESHARK_PLUGIN needs libwireshark-dev (scripts/install-deps.sh)")
  endif()
  string(REGEX MATCH "^([0-9]+)\\.([0-9]+)" _ ${WIRESHARK_DEV_VERSION})
  set(ws_major ${CMAKE_MATCH_1})
  set(ws_minor ${CMAKE_MATCH_2})
  set(plugin_subdir plugins/${ws_major}.${ws_minor}/epan)
  add_library(protmon_wireshark MODULE contrib/wireshark/plugin/protmon_dissector.cpp
                                       src/capture/trx5_length.cpp)
  target_include_directories(protmon_wireshark PRIVATE ${CMAKE_SOURCE_DIR}/src)
  # Wireshark's headers are not ours to keep free of warnings.
  target_include_directories(protmon_wireshark SYSTEM PRIVATE ${WIRESHARK_DEV_INCLUDE_DIRS})
  target_link_libraries(protmon_wireshark PRIVATE PkgConfig::WIRESHARK_DEV)
  target_compile_definitions(protmon_wireshark PRIVATE
    PROTMON_PLUGIN_VERSION="${PROJECT_VERSION}" PROTMON_WIRESHARK_MAJOR=${ws_major}
    PROTMON_WIRESHARK_MINOR=${ws_minor})
  set_target_properties(protmon_wireshark PROPERTIES PREFIX "" OUTPUT_NAME protmon
    LIBRARY_OUTPUT_DIRECTORY ${WIRESHARK_BUILD_DIR}/${plugin_subdir})
  install(TARGETS protmon_wireshark LIBRARY DESTINATION ${PROTMON_WIRESHARK_DIR}/${plugin_subdir})
endif()

# protmon-extcap: the command-line tool under the name Wireshark runs from its extcap folder
# (a link; the tool answers extcap calls when run by that name).
if(TARGET protmon-cli)
  include(GNUInstallDirs)
  file(RELATIVE_PATH cli_from_extcap /prefix/${PROTMON_WIRESHARK_DIR}/extcap
       /prefix/${CMAKE_INSTALL_BINDIR}/protmon-cli)
  set(extcap_install_link ${CMAKE_BINARY_DIR}/extcap-install/protmon-extcap)
  add_custom_target(protmon_extcap_link ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${WIRESHARK_BUILD_DIR}/extcap
            ${CMAKE_BINARY_DIR}/extcap-install
    COMMAND ${CMAKE_COMMAND} -E create_symlink ../../protmon-cli
            ${WIRESHARK_BUILD_DIR}/extcap/protmon-extcap
    COMMAND ${CMAKE_COMMAND} -E create_symlink ${cli_from_extcap} ${extcap_install_link}
    DEPENDS protmon-cli VERBATIM)
  install(FILES ${extcap_install_link} DESTINATION ${PROTMON_WIRESHARK_DIR}/extcap)
endif()
