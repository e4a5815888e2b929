# Every target of the project calls tidyframe_warnings() so CI's -Werror covers all of them.
set(TIDYFRAME_WARNING_FLAGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
                            -Woverloaded-virtual)
function(tidyframe_warnings target)
  target_compile_options(${target} PRIVATE ${TIDYFRAME_WARNING_FLAGS})
  if(TIDYFRAME_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# A module library: sources in the folder, public include root at src/.
function(tidyframe_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  tidyframe_warnings(${name})
endfunction()

# A test program per module, registered with CTest one test at a time.
function(tidyframe_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TIDYFRAME_RESOURCE_DIR="${TIDYFRAME_RESOURCE_DIR}"
    TIDYFRAME_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  tidyframe_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
