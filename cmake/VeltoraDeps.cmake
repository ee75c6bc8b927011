# All third-party packages, found once for every folder.
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTOUIC ON)
set(CMAKE_AUTORCC ON)

find_package(Qt5 5.15 REQUIRED COMPONENTS Core Gui Widgets Network Multimedia MultimediaWidgets WebSockets Svg Test LinguistTools)
find_package(CURL REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(PkgConfig REQUIRED)

pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET
  libavformat libavcodec libavutil libswscale libswresample libavdevice libavfilter)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
pkg_check_modules(PANGO REQUIRED IMPORTED_TARGET pangocairo pango fontconfig)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11 xext)
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse libpulse-simple)
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)

# qrcodegen (C++) ships a header and a library but no CMake or pkg-config file.
find_path(QRCODEGEN_INCLUDE_DIR qrcodegen.hpp PATH_SUFFIXES qrcodegen qrcodegencpp)
find_library(QRCODEGEN_LIBRARY NAMES qrcodegencpp)
if(NOT QRCODEGEN_INCLUDE_DIR OR NOT QRCODEGEN_LIBRARY)
  message(FATAL_ERROR "qrcodegen (libqrcodegencpp-dev) not found")
endif()
add_library(qrcodegen::cpp UNKNOWN IMPORTED)
set_target_properties(qrcodegen::cpp PROPERTIES
  IMPORTED_LOCATION ${QRCODEGEN_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${QRCODEGEN_INCLUDE_DIR})

# cpp-httplib and stb are header-only.
find_path(HTTPLIB_INCLUDE_DIR httplib.h REQUIRED)
find_path(STB_INCLUDE_DIR stb_image.h PATH_SUFFIXES stb REQUIRED)
add_library(stb::image INTERFACE IMPORTED)
set_target_properties(stb::image PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${STB_INCLUDE_DIR})

if(VELTORA_BUILD_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
if(VELTORA_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()
