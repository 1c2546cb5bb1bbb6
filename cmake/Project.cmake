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
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${ARG_NAME} PRIVATE DTU_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
  dtu_gbk_literals(${ARG_NAME} ${ARG_GBK})
  set(_env QT_QPA_PLATFORM=offscreen ${ARG_ENV})
  gtest_discover_tests(${ARG_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${ARG_LABEL} ENVIRONMENT "${_env}" TIMEOUT 120)
endfunction()
