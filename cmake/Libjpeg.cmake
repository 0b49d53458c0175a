# libjpeg (the IJG API, from libjpeg-turbo's source package) for the Windows builds, built with
# the same cross toolchain as the programs. scripts/lib.sh fetches the source into the cache.
include(ExternalProject)

set(LVX_LIBJPEG_SOURCE "${PROJECT_SOURCE_DIR}/.cache/libjpeg-turbo" CACHE PATH "libjpeg-turbo source folder")
if(NOT EXISTS "${LVX_LIBJPEG_SOURCE}/jpeglib.h")
  message(FATAL_ERROR "No libjpeg source in ${LVX_LIBJPEG_SOURCE}: build through scripts/lib.sh (lvx_build), "
                      "which fetches it")
endif()

set(lvx_jpeg_build "${CMAKE_BINARY_DIR}/libjpeg")
file(MAKE_DIRECTORY "${lvx_jpeg_build}")
ExternalProject_Add(libjpeg_build
  SOURCE_DIR "${LVX_LIBJPEG_SOURCE}"
  BINARY_DIR "${lvx_jpeg_build}"
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
             -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
             -DCMAKE_POSITION_INDEPENDENT_CODE=OFF -DCMAKE_INSTALL_PREFIX=${lvx_jpeg_build}/install
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS "${lvx_jpeg_build}/libjpeg.a"
  EXCLUDE_FROM_ALL TRUE)

add_library(lvx_libjpeg STATIC IMPORTED GLOBAL)
set_target_properties(lvx_libjpeg PROPERTIES
  IMPORTED_LOCATION "${lvx_jpeg_build}/libjpeg.a"
  INTERFACE_INCLUDE_DIRECTORIES "${LVX_LIBJPEG_SOURCE};${lvx_jpeg_build}")
add_dependencies(lvx_libjpeg libjpeg_build)
