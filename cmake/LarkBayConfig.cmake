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

# larkbay_add_gtest(<name> SOURCES <files...> LIBS <targets...> [LOCK <resource>])
# One test executable; its cases are registered with CTest one by one. Cases
# of executables that share a LOCK never run at the same time (for example
# those that end processes by name).
function(larkbay_add_gtest name)
  cmake_parse_arguments(ARG "" "LOCK" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE larkbay_config GTest::gtest GTest::gtest_main ${ARG_LIBS})
  # An empty ENVIRONMENT value would swallow the property after it.
  set(properties TIMEOUT 120)
  if(ARG_ENV)
    list(APPEND properties ENVIRONMENT "${ARG_ENV}")
  endif()
  if(ARG_LOCK)
    list(APPEND properties RESOURCE_LOCK ${ARG_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
