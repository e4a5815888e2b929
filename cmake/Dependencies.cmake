find_package(Threads REQUIRED)
if(APPLE)
  # The SDK's own folder, for the libcurl below. CMake 4 leaves CMAKE_OSX_SYSROOT empty (the
  # compiler then uses its default SDK), and it may also name an SDK instead of giving its path.
  if(IS_DIRECTORY "${CMAKE_OSX_SYSROOT}")
    set(TIDYFRAME_MACOS_SDK_PATH "${CMAKE_OSX_SYSROOT}")
  else()
    set(sdk_name macosx)
    if(CMAKE_OSX_SYSROOT)
      set(sdk_name "${CMAKE_OSX_SYSROOT}")
    endif()
    execute_process(COMMAND xcrun --sdk ${sdk_name} --show-sdk-path OUTPUT_VARIABLE TIDYFRAME_MACOS_SDK_PATH
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  endif()
  # Homebrew keeps icu4c out of its prefix (keg-only), where find_package would not look.
  if(NOT ICU_ROOT)
    execute_process(COMMAND brew --prefix icu4c OUTPUT_VARIABLE icu_prefix
                    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE brew_result ERROR_QUIET)
    if(brew_result EQUAL 0 AND IS_DIRECTORY "${icu_prefix}")
      set(ICU_ROOT "${icu_prefix}")
    endif()
  endif()
endif()
find_package(ICU 70 REQUIRED COMPONENTS uc i18n)
find_package(nlohmann_json 3.10 REQUIRED)
# The layout archive, tens of megabytes after years of use, is read with RapidJSON's event reader.
find_package(RapidJSON REQUIRED)
# Floating-point text is read with fast_float: Apple's libc++ has no std::from_chars for it.
find_package(FastFloat REQUIRED)
# On macOS the libcurl the system ships, which checks servers against the system's certificate
# store (Homebrew's brings a bundle of its own).
if(APPLE)
  set(CURL_NO_CURL_CMAKE ON)
  set(CURL_INCLUDE_DIR "${TIDYFRAME_MACOS_SDK_PATH}/usr/include")
  set(CURL_LIBRARY "${TIDYFRAME_MACOS_SDK_PATH}/usr/lib/libcurl.tbd")
endif()
# 7.85 brought the protocol lists that keep every request and redirect on HTTPS.
find_package(CURL 7.85 REQUIRED)
find_package(Qt6 6.4 REQUIRED COMPONENTS Widgets Svg Network)
if(TIDYFRAME_BUILD_TESTS)
  find_package(Qt6 6.4 REQUIRED COMPONENTS Test)
endif()
if(TIDYFRAME_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(TIDYFRAME_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()

# Rebuilds of several checkouts on one machine share compiled objects when ccache is present.
find_program(TIDYFRAME_CCACHE ccache)
if(TIDYFRAME_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_CXX_COMPILER_LAUNCHER "${TIDYFRAME_CCACHE}")
endif()
