# Installation (`cmake --install`), the files a desktop system expects beside the programs (man
# pages, desktop entry, icon, bash completion) and the Debian package (`make package`).
include(GNUInstallDirs)

# The version header; the installed programs find their data folder relative to themselves, so
# the same binaries work under /usr, /usr/local or a staging folder.
set(PROTMON_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/protmon)
file(RELATIVE_PATH PROTMON_DATA_DIR_FROM_BIN /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${PROTMON_DATA_INSTALL_DIR})
configure_file(${CMAKE_SOURCE_DIR}/cmake/build_info.h.in
               ${CMAKE_BINARY_DIR}/generated/build_info.h @ONLY)
# The descriptions library uses it (the data folder); everything above sees it through the core.
target_include_directories(protmon_descriptions PUBLIC ${CMAKE_BINARY_DIR}/generated)

set(PROTMON_PROGRAMS protmon protmon-cli lmsim mkparafile)
foreach(program ${PROTMON_PROGRAMS})
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The sample description set with its language files, and a recording of parameter traffic that
# it decodes, made from the checked-in byte stream by the program itself.
set(SAMPLE_DIR ${CMAKE_SOURCE_DIR}/tests/data)
install(FILES ${SAMPLE_DIR}/Para0001.bin ${SAMPLE_DIR}/LNG0001a.add ${SAMPLE_DIR}/LNG0001d.add
              ${SAMPLE_DIR}/LNG0001r.add
        DESTINATION ${PROTMON_DATA_INSTALL_DIR})
if(TARGET protmon-cli)
  set(SAMPLE_RECORDING ${CMAKE_BINARY_DIR}/share/para_sample.bu5)
  add_custom_command(OUTPUT ${SAMPLE_RECORDING}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/share
    COMMAND protmon-cli assemble --protocol trx5 ${SAMPLE_DIR}/para_stream.bin
            -o ${SAMPLE_RECORDING}
    DEPENDS protmon-cli ${SAMPLE_DIR}/para_stream.bin
    COMMENT "Recording the sample parameter traffic")
  add_custom_target(sample_recording ALL DEPENDS ${SAMPLE_RECORDING})
  install(FILES ${SAMPLE_RECORDING} DESTINATION ${PROTMON_DATA_INSTALL_DIR})
endif()

# Man pages from each program's --help. The tools have no --version; they share the project's.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(MAN_DIR ${CMAKE_BINARY_DIR}/man)
  set(MAN_SOURCE ${CMAKE_SOURCE_DIR}/contrib/man)
  set(MAN_NAME_protmon "record and decode drive controller telegrams in a window")
  set(MAN_NAME_protmon-cli "record and decode drive controller telegrams on the command line")
  set(MAN_NAME_lmsim "line monitor and fieldbus operator simulator")
  set(MAN_NAME_mkparafile "write description and language files from a text definition")
  set(MAN_PAGES)
  foreach(program ${PROTMON_PROGRAMS})
    if(NOT TARGET ${program})
      continue()
    endif()
    set(page ${MAN_DIR}/${program}.1)
    set(options --no-info --section=1 "--name=${MAN_NAME_${program}}" --output=${page})
    set(depends ${program})
    if(program STREQUAL "lmsim" OR program STREQUAL "mkparafile")
      list(APPEND options --version-string=${PROJECT_VERSION})
    endif()
    if(EXISTS ${MAN_SOURCE}/${program}.h2m)
      list(APPEND options --include=${MAN_SOURCE}/${program}.h2m)
      list(APPEND depends ${MAN_SOURCE}/${program}.h2m)
    endif()
    if(program STREQUAL "protmon-cli")
      # Each command's --help from the command table, so the page follows the commands as they
      # are added.
      set(commands ${MAN_DIR}/protmon-cli-commands.h2m)
      add_custom_command(OUTPUT ${commands}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${MAN_DIR}
        COMMAND protmon-cli-docs man-commands ${commands}
        DEPENDS protmon-cli-docs)
      list(APPEND options --include=${commands})
      list(APPEND depends ${commands})
    endif()
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${MAN_DIR}
      COMMAND ${HELP2MAN} ${options} $<TARGET_FILE:${program}>
      DEPENDS ${depends}
      COMMENT "Writing the man page of ${program}"
      VERBATIM)
    list(APPEND MAN_PAGES ${page})
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${MAN_PAGES})
  install(FILES ${MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found: no man pages (scripts/install-deps.sh installs it)")
endif()

install(FILES ${PROTMON_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Desktop entry and icon of the window.
if(TARGET protmon)
  install(FILES ${CMAKE_SOURCE_DIR}/contrib/desktop/protmon.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  set(ICON_SVG ${CMAKE_SOURCE_DIR}/contrib/desktop/protmon.svg)
  install(FILES ${ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  find_program(RSVG_CONVERT rsvg-convert)
  if(RSVG_CONVERT)
    set(ICON_PNG ${CMAKE_BINARY_DIR}/icons/256x256/protmon.png)
    add_custom_command(OUTPUT ${ICON_PNG}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/256x256
      COMMAND ${RSVG_CONVERT} --width=256 --height=256 --output=${ICON_PNG} ${ICON_SVG}
      DEPENDS ${ICON_SVG}
      COMMENT "Drawing the 256 px icon")
    add_custom_target(icon_png ALL DEPENDS ${ICON_PNG})
    install(FILES ${ICON_PNG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
  else()
    message(WARNING "rsvg-convert not found: no PNG icon (scripts/install-deps.sh installs it)")
  endif()
endif()

# Helpers in contrib/ that are installed when present; the globs are checked again at every
# build, so a helper that appears later is picked up without a fresh configure.
file(GLOB WIRESHARK_LUA CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/contrib/wireshark/protmon.lua)
if(WIRESHARK_LUA)
  # Wireshark loads Lua files from its global plugin folder, which is per architecture on Debian.
  if(CMAKE_LIBRARY_ARCHITECTURE)
    set(wireshark_lib lib/${CMAKE_LIBRARY_ARCHITECTURE})
  else()
    set(wireshark_lib lib)
  endif()
  set(PROTMON_WIRESHARK_PLUGIN_DIR ${wireshark_lib}/wireshark/plugins
      CACHE STRING "Folder of Wireshark's Lua plugins, relative to the install prefix")
  install(FILES ${WIRESHARK_LUA} DESTINATION ${PROTMON_WIRESHARK_PLUGIN_DIR})
endif()
file(GLOB SYSTEMD_UNIT CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/contrib/systemd/protmon-record@.service")
if(SYSTEMD_UNIT)
  install(FILES ${SYSTEMD_UNIT} DESTINATION lib/systemd/system)
endif()

# `make package`: a .deb whose dependencies dpkg-shlibdeps finds from the installed programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME protmon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Protocol Monitor developers <protmon@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "passive monitor and decoder for drive controller telegrams on serial lines")
set(CPACK_PACKAGE_DESCRIPTION
    "Protocol Monitor listens on the serial line of drive controllers without taking part, \
records every telegram (TRX5, DIN66019II or raw bytes; directly, through a fieldbus operator, a \
line monitor box or UDP) and decodes it down to service, parameter and value. protmon is the \
window, protmon-cli the same core on the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
