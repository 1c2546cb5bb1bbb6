# GBK narrow literals need g++ (its -fexec-charset goes through iconv). Other
# compilers (clang, used only for the fuzz drivers) keep UTF-8 literals, so the
# Chinese texts of such a build are not the system's bytes.
function(dtu_gbk_literals target enabled)
  if(enabled AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -fexec-charset=GBK)
  endif()
endfunction()

# Helpers shared by every folder of the tree.

# dtu_library(NAME <target> [QT] [GBK] [DEPS <targets...>] [EXCLUDE <files...>])
# One static library per folder, built from every .cpp in it but the EXCLUDE ones
# (which another library of the folder holds). QT marks a library
# that needs Qt; such libraries are left out of a QT_FREE_ONLY build. GBK makes the
# compiler encode narrow string literals as GBK, the system's code page, so that
# Chinese texts in the (UTF-8) sources are the very bytes the system shows and stores.
function(dtu_library)
  cmake_parse_arguments(ARG "QT;GBK" "NAME" "DEPS;PRIVATE_DEPS;EXCLUDE" ${ARGN})
  if(ARG_QT AND QT_FREE_ONLY)
    return()
  endif()
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  file(GLOB _hdr CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(_file ${ARG_EXCLUDE})
    list(REMOVE_ITEM _src ${CMAKE_CURRENT_SOURCE_DIR}/${_file})
    string(REGEX REPLACE "\\.(cpp|c)$" ".h" _header ${_file})
    list(REMOVE_ITEM _hdr ${CMAKE_CURRENT_SOURCE_DIR}/${_header})
  endforeach()
  add_library(${ARG_NAME} STATIC ${_src} ${_hdr})
  target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${ARG_NAME} PUBLIC ${ARG_DEPS} Threads::Threads PRIVATE ${ARG_PRIVATE_DEPS})
  dtu_gbk_literals(${ARG_NAME} ${ARG_GBK})
endfunction()

# The main of every test binary (a temporary HOME for each run, tests/support).
if(BUILD_TESTING AND NOT TARGET dtu_test_main)
  add_library(dtu_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
  target_link_libraries(dtu_test_main PUBLIC GTest::gtest)
endif()

# dtu_program(<target>): a program a user runs; DTU_VERSION is the version it
# answers to --version (the project's).
function(dtu_program target)
  target_compile_definitions(${target} PRIVATE DTU_VERSION="${PROJECT_VERSION}")
endfunction()

# dtu_add_test(NAME <name> COMMAND <command> [<arg>...])
# Adds a test whose command runs through cmake/test-home.sh, which gives it a
# temporary HOME and XDG folders of its own. Every test of the tree is added so,
# except the GoogleTest binaries' (dtu_test: their main does the same itself);
# dtu_check_tests() refuses a test added with the plain add_test. Arguments pass
# through as they are (bracket-quoted, so ";" inside one stays), and a target named
# as the command becomes its file.
function(dtu_add_test)
  if(NOT ARGV0 STREQUAL "NAME" OR NOT ARGV2 STREQUAL "COMMAND" OR ARGC LESS 4)
    message(FATAL_ERROR "dtu_add_test: use the form dtu_add_test(NAME <name> COMMAND <command> ...)")
  endif()
  set(_command "${ARGV3}")
  if(TARGET "${_command}")
    set(_command "$<TARGET_FILE:${_command}>")
  endif()
  set(_code "add_test([==[NAME]==] [==[${ARGV1}]==] [==[COMMAND]==] [==[sh]==] [==[${PROJECT_SOURCE_DIR}/cmake/test-home.sh]==] [==[${_command}]==]")
  math(EXPR _last "${ARGC} - 1")
  if(_last GREATER_EQUAL 4)
    foreach(_i RANGE 4 ${_last})
      string(APPEND _code " [==[${ARGV${_i}}]==]")
    endforeach()
  endif()
  cmake_language(EVAL CODE "${_code})")
  set_property(GLOBAL APPEND PROPERTY DTU_HOME_TESTS "${ARGV1}")
endfunction()

# A test of program TARGET on a real X display (xvfb-run, a server of its own, one
# such test at a time: `xvfb-run -a` can give two servers started together the same
# display); skipped (exit 77) where xvfb-run is missing. ARGS go to the program.
function(dtu_xvfb_test)
  cmake_parse_arguments(ARG "" "NAME;TARGET;SCREEN;TIMEOUT" "LABELS;ARGS" ${ARGN})
  if(NOT ARG_SCREEN)
    set(ARG_SCREEN 1024x768)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  dtu_add_test(NAME ${ARG_NAME}
    COMMAND sh -c "command -v xvfb-run >/dev/null 2>&1 || { echo 'xvfb-run not found: skipped'; exit 77; }; exec xvfb-run -a -s '-screen 0 ${ARG_SCREEN}x24' \"$@\""
            sh $<TARGET_FILE:${ARG_TARGET}> ${ARG_ARGS})
  set_tests_properties(${ARG_NAME} PROPERTIES
    LABELS "${ARG_LABELS};xvfb" SKIP_RETURN_CODE 77 RESOURCE_LOCK xvfb TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=xcb")
endfunction()

# Fails the configuration for a test of Dir or a folder below it that was not added
# through dtu_add_test (it would run with the real HOME).
function(dtu_check_tests Dir)
  get_property(_wrapped GLOBAL PROPERTY DTU_HOME_TESTS)
  get_directory_property(_tests DIRECTORY "${Dir}" TESTS)
  foreach(_test IN LISTS _tests)
    if(NOT _test IN_LIST _wrapped)
      message(FATAL_ERROR "Test ${_test} (${Dir}) was added with add_test: use dtu_add_test, so that it runs with a HOME of its own")
    endif()
  endforeach()
  get_directory_property(_subdirs DIRECTORY "${Dir}" SUBDIRECTORIES)
  foreach(_sub IN LISTS _subdirs)
    dtu_check_tests("${_sub}")
  endforeach()
endfunction()

# dtu_test(NAME <binary> LABEL <label> [QT] [GBK] [DEPS <targets...>])
# One GoogleTest binary per folder under tests/, from every .cpp in it, each test
# registered with CTest under the folder's label.
function(dtu_test)
  cmake_parse_arguments(ARG "QT;GBK" "NAME;LABEL" "DEPS;ENV" ${ARGN})
  if(ARG_QT AND QT_FREE_ONLY)
    return()
  endif()
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${ARG_NAME} ${_src})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock dtu_test_main)
  target_compile_definitions(${ARG_NAME} PRIVATE DTU_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
  dtu_gbk_literals(${ARG_NAME} ${ARG_GBK})
  set(_env QT_QPA_PLATFORM=offscreen ${ARG_ENV})
  gtest_discover_tests(${ARG_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${ARG_LABEL} ENVIRONMENT "${_env}" TIMEOUT 120)
endfunction()
