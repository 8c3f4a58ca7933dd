# Flags, GoogleTest and the helpers every part of the tree uses.

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

option(VPN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VPN_FUZZ "Build the libFuzzer targets (clang only)" OFF)

# Narrow string literals are written in UTF-8 in the sources and compiled to GBK,
# the program's text encoding. The converter is told GB18030: it gives the same bytes
# as GBK for every character GBK has, and unlike GBK it can also encode the few
# characters the C++20 standard headers carry in literals (the micro sign of <chrono>).
# clang cannot convert; the fuzz build keeps UTF-8, which only changes the bytes of
# fixed texts, never what a parser accepts.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-finput-charset=UTF-8 -fexec-charset=GB18030)
  set(VPN_LITERALS_GBK ON)
else()
  set(VPN_LITERALS_GBK OFF)
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 STRICT)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(VPN_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VPN_FUZZ)
  add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Programs, DLLs and test programs of a build sit in one folder, so the simulated
# remote-access DLL lies beside the program and the tests that use it.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Whether this build runs its own programs (native, or win64 under Wine). The 32-bit
# Windows build is compiled and linked only.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VPN_RUNS_HERE OFF)
else()
  set(VPN_RUNS_HERE ON)
endif()

# A shipped build makes what subscribers install: the program without the test builds'
# hooks, with the service's addresses (cmake/Endpoints.cmake), always optimised. The
# 32-bit build is one; the 64-bit one is the preset win64-shipped, which also runs the
# tests of what it ships (its package, its program) under Wine.
if(WIN32 AND NOT VPN_RUNS_HERE)
  set(_vpn_shipped_default ON)
else()
  set(_vpn_shipped_default OFF)
endif()
option(VPN_SHIPPED "Build the shipped program: no test hooks, the service's addresses, optimised"
       ${_vpn_shipped_default})
if(VPN_SHIPPED AND NOT WIN32)
  message(FATAL_ERROR "VPN_SHIPPED is for the Windows builds")
endif()
# Whatever the build type, and even when the compiler's flags for it came out empty (a
# folder configured before the compiler was installed): the last -O level the flags give
# must optimise, or -O2 is added after them.
if(VPN_SHIPPED)
  string(TOUPPER "${CMAKE_BUILD_TYPE}" _vpn_type)
  string(REGEX MATCHALL "-O[0-9a-z]*" _vpn_levels "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${_vpn_type}}")
  set(_vpn_level -O0)
  if(_vpn_levels)
    list(GET _vpn_levels -1 _vpn_level)
  endif()
  if(_vpn_level MATCHES "^-O(0|g)$")
    add_compile_options(-O2)
  endif()
endif()

if(WIN32 AND VPN_RUNS_HERE)
  set(VPN_SOURCE_DIR ${CMAKE_SOURCE_DIR})
  set(VPN_BINARY_DIR ${CMAKE_BINARY_DIR})
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()

# GoogleTest from Debian's source package, built for this target.
if(NOT VPN_FUZZ)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  if(EXISTS /usr/src/googletest/CMakeLists.txt)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  else()
    message(FATAL_ERROR "GoogleTest sources missing: run scripts/setup.sh (Debian package googletest)")
  endif()
endif()

# vpn_add_test(NAME SOURCES ... [LIBS ...] [TIMEOUT s] [RESOURCE_LOCK name])
# One test program = one CTest test (each Windows process costs a Wine start).
function(vpn_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;RESOURCE_LOCK;LABELS" ${ARGN})
  if(VPN_FUZZ)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  if(WIN32)
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
  endif()
  if(VPN_RUNS_HERE)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    if(NOT T_TIMEOUT)
      set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_RESOURCE_LOCK)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
    endif()
    if(T_LABELS)
      set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
  endif()
endfunction()

# vpn_silent_host(NAME_VAR OCTET_VAR): the network namespace of the host that takes echo
# requests and never answers (tests/unit/net/silent-host.sh sets it up as the test
# fixture net_silent_host; the host is 10.213.OCTET.2), named and numbered after the build
# folder so that builds running at the same time do not meet.
function(vpn_silent_host name_var octet_var)
  string(MD5 _h "${CMAKE_BINARY_DIR}")
  string(SUBSTRING "${_h}" 0 6 _name)
  string(SUBSTRING "${_h}" 6 2 _byte)
  math(EXPR _octet "0x${_byte}" OUTPUT_FORMAT DECIMAL)
  set(${name_var} "vs${_name}" PARENT_SCOPE)
  set(${octet_var} "${_octet}" PARENT_SCOPE)
endfunction()

# vpn_add_fuzzer(NAME SOURCES ... [LIBS ...]): a libFuzzer target, built only by the fuzz preset.
function(vpn_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT VPN_FUZZ)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY VPN_FUZZERS ${name})
endfunction()

# scripts/fuzz.sh runs the targets named in build/fuzz/fuzz-targets.txt, written once
# every folder has added its own.
function(vpn_write_fuzzer_list)
  get_property(_names GLOBAL PROPERTY VPN_FUZZERS)
  list(JOIN _names "\n" _text)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz-targets.txt "${_text}\n")
endfunction()
if(VPN_FUZZ)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL vpn_write_fuzzer_list)
endif()

# The service addresses (generated Endpoints.h).
include(${CMAKE_CURRENT_LIST_DIR}/Endpoints.cmake)
