# The static link of orvel-scan: the archives of libjpeg, libpng and zlib
# stand in for the shared libraries in every program whose target property
# ORVEL_STATIC_LINK is set, and only there (the Python module, a shared
# object, keeps the shared libraries: Debian's archives are not built as
# position-independent code). Sets ORVEL_STATIC_SCANNER_LINK when a static
# program links and runs here; the scanner stays dynamic otherwise.
include(CheckCXXSourceRuns)

find_library(ORVEL_JPEG_ARCHIVE NAMES libjpeg.a)
find_library(ORVEL_PNG_ARCHIVE NAMES libpng16.a libpng.a)
find_library(ORVEL_ZLIB_ARCHIVE NAMES libz.a)
mark_as_advanced(ORVEL_JPEG_ARCHIVE ORVEL_PNG_ARCHIVE ORVEL_ZLIB_ARCHIVE)

set(ORVEL_STATIC_SCANNER_LINK OFF)
if(ORVEL_JPEG_ARCHIVE AND ORVEL_PNG_ARCHIVE AND ORVEL_ZLIB_ARCHIVE)
  # libc's character set conversion, threads and both picture libraries, as
  # the scanner uses them.
  set(CMAKE_REQUIRED_LINK_OPTIONS -static)
  set(CMAKE_REQUIRED_LIBRARIES ${ORVEL_JPEG_ARCHIVE} ${ORVEL_PNG_ARCHIVE} ${ORVEL_ZLIB_ARCHIVE})
  set(CMAKE_REQUIRED_INCLUDES ${JPEG_INCLUDE_DIRS} ${PNG_INCLUDE_DIRS})
  check_cxx_source_runs([[
    #include <cstdio>
    #include <iconv.h>
    #include <jpeglib.h>
    #include <png.h>
    #include <thread>
    int main() {
        jpeg_error_mgr error;
        jpeg_std_error(&error);
        iconv_t converter = iconv_open("UTF-8", "SHIFT_JIS");
        if (converter == reinterpret_cast<iconv_t>(-1)) return 1;
        iconv_close(converter);
        int ran = 0;
        std::thread([&] { ran = 1; }).join();
        return png_access_version_number() > 0 && ran ? 0 : 1;
    }]] ORVEL_STATIC_PROGRAM_RUNS)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  unset(CMAKE_REQUIRED_LIBRARIES)
  unset(CMAKE_REQUIRED_INCLUDES)
  if(ORVEL_STATIC_PROGRAM_RUNS)
    set(ORVEL_STATIC_SCANNER_LINK ON)
    set(orvel_static "$<BOOL:$<TARGET_PROPERTY:ORVEL_STATIC_LINK>>")
    set(orvel_picture_libraries
        "$<$<NOT:${orvel_static}>:JPEG::JPEG>" "$<$<NOT:${orvel_static}>:PNG::PNG>"
        "$<BUILD_INTERFACE:$<${orvel_static}:${ORVEL_PNG_ARCHIVE}>>"
        "$<BUILD_INTERFACE:$<${orvel_static}:${ORVEL_ZLIB_ARCHIVE}>>"
        "$<BUILD_INTERFACE:$<${orvel_static}:${ORVEL_JPEG_ARCHIVE}>>")
  endif()
endif()
if(NOT ORVEL_STATIC_SCANNER_LINK)
  message(STATUS "Static libjpeg, libpng, zlib or libc not usable: orvel-scan is linked dynamically")
endif()
