find_package(Threads REQUIRED)
find_package(ICU 70 REQUIRED COMPONENTS uc i18n)
find_package(nlohmann_json 3.10 REQUIRED)
# The layout archive, tens of megabytes after years of use, is read with RapidJSON's event reader.
find_package(RapidJSON REQUIRED)
# On macOS the libcurl the system ships, which checks servers against the system's certificate
# store (Homebrew's brings a bundle of its own).
if(APPLE)
  set(CURL_NO_CURL_CMAKE ON)
  set(CURL_INCLUDE_DIR "${CMAKE_OSX_SYSROOT}/usr/include")
  set(CURL_LIBRARY "${CMAKE_OSX_SYSROOT}/usr/lib/libcurl.tbd")
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
