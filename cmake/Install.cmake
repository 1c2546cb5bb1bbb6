# What `cmake --install build [--prefix DIR]` installs: the programs a user runs,
# the desktop entry of the configuration tool and its icon. Everything the programs
# need is linked in (forms included), so they run from wherever they are installed.
include(GNUInstallDirs)

foreach(_program dtu-config dtusim serial-ports serial-settings gallery)
  if(TARGET ${_program})
    install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(TARGET dtu-config AND TARGET icon-png)
  # The menu shows the tool under its own name: the main window's caption.
  set(_main_form ${PROJECT_SOURCE_DIR}/resources/app/Unitmain.form)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_main_form})
  file(STRINGS ${_main_form} _caption REGEX "^  Caption = '.*'$" LIMIT_COUNT 1 ENCODING UTF-8)
  string(REGEX REPLACE "^  Caption = '(.*)'$" "\\1" DTU_APP_NAME "${_caption}")
  string(REPLACE "''" "'" DTU_APP_NAME "${DTU_APP_NAME}")
  if(DTU_APP_NAME STREQUAL "")
    message(FATAL_ERROR "No caption in ${_main_form} for the desktop entry")
  endif()
  # @BINDIR@ stays for the install step, which knows the prefix given to it.
  set(BINDIR @BINDIR@)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/dtu-config.desktop.in ${PROJECT_BINARY_DIR}/install/dtu-config.desktop.in @ONLY)

  # The program's own 32 x 32 icon, as PNG for the icon theme.
  set(_icon ${PROJECT_BINARY_DIR}/install/dtu-config.png)
  add_custom_command(
    OUTPUT ${_icon}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:icon-png> ${PROJECT_SOURCE_DIR}/resources/serial/kxcomm.ico ${_icon}
    DEPENDS icon-png ${PROJECT_SOURCE_DIR}/resources/serial/kxcomm.ico
    COMMENT "icon-png dtu-config.png"
    VERBATIM)
  add_custom_target(dtu_config_icon ALL DEPENDS ${_icon})

  install(CODE "
    set(_bindir \"${CMAKE_INSTALL_BINDIR}\")
    if(NOT IS_ABSOLUTE \"\${_bindir}\")
      set(_bindir \"\${CMAKE_INSTALL_PREFIX}/\${_bindir}\")
    endif()
    file(READ \"${PROJECT_BINARY_DIR}/install/dtu-config.desktop.in\" _entry)
    string(REPLACE \"@BINDIR@\" \"\${_bindir}\" _entry \"\${_entry}\")
    file(WRITE \"${PROJECT_BINARY_DIR}/install/dtu-config.desktop\" \"\${_entry}\")
  ")
  install(FILES ${PROJECT_BINARY_DIR}/install/dtu-config.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${_icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
endif()
