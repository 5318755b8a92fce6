# One interface target carries the language level, warnings and sanitizer flags;
# every target of the project links it.
add_library(larkbay_config INTERFACE)
target_compile_features(larkbay_config INTERFACE cxx_std_20)
target_compile_options(larkbay_config INTERFACE -Wall -Wextra -Wpedantic
  $<IF:$<CXX_COMPILER_ID:Clang>,-Wshadow,-Wshadow=local>)
if(LARKBAY_WERROR)
  target_compile_options(larkbay_config INTERFACE -Werror)
endif()
target_compile_definitions(larkbay_config INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(LARKBAY_SANITIZE)
  target_compile_options(larkbay_config INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(larkbay_config INTERFACE -fsanitize=address,undefined)
endif()

# Under the sanitizers a test runs a few times slower (the program and its
# engine start slower still): every time limit grows by this factor.
if(LARKBAY_SANITIZE)
  set(LARKBAY_TIMEOUT_FACTOR 3)
else()
  set(LARKBAY_TIMEOUT_FACTOR 1)
endif()

# larkbay_test_timeout(<var> <seconds>): the time limit of a test that takes
# `seconds` in an ordinary build.
function(larkbay_test_timeout var seconds)
  math(EXPR scaled "${seconds} * ${LARKBAY_TIMEOUT_FACTOR}")
  set(${var} ${scaled} PARENT_SCOPE)
endfunction()

# larkbay_engine_test(<test>...): a test whose processes may run Qt WebEngine.
# Chromium inside libQt6WebEngineCore deletes some of its objects through a
# pointer of a smaller type (sized delete of the wrong size), which
# AddressSanitizer reports as new-delete-type-mismatch; that check cannot be
# suppressed for one library, so it is off for these tests alone (every other
# check stays on, and the core's tests keep this one too).
function(larkbay_engine_test)
  if(LARKBAY_SANITIZE)
    set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT_MODIFICATION
      "ASAN_OPTIONS=string_append::new_delete_type_mismatch=0")
  endif()
endfunction()

# larkbay_add_gtest(<name> SOURCES <files...> LIBS <targets...> [LOCK <resource>])
# One test executable; its cases are registered with CTest one by one. Cases
# of executables that share a LOCK never run at the same time (for example
# those that end processes by name).
function(larkbay_add_gtest name)
  cmake_parse_arguments(ARG "" "LOCK" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE larkbay_config GTest::gtest GTest::gtest_main ${ARG_LIBS})
  # An empty ENVIRONMENT value would swallow the property after it.
  larkbay_test_timeout(timeout 120)
  set(properties TIMEOUT ${timeout})
  if(ARG_ENV)
    list(APPEND properties ENVIRONMENT "${ARG_ENV}")
  endif()
  if(ARG_LOCK)
    list(APPEND properties RESOURCE_LOCK ${ARG_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
