# GoogleTest for the test suites, found as a CMake package. Debian's
# libgtest-dev installs the package for x86-64; for any other target (the
# 32-bit builds) Debian ships only the sources (googletest), so they are
# built once into this build tree for its compilers and installed there,
# and the package is found in that tree. Either way the suites link
# GTest::gtest and GTest::gtest_main.
set(VRELO_GTEST_SOURCES /usr/src/googletest CACHE PATH
    "GoogleTest's sources, built where no GoogleTest package fits the target")

find_package(GTest CONFIG QUIET)
if(NOT GTest_FOUND)
  set(vrelo_gtest_root ${CMAKE_BINARY_DIR}/googletest)
  if(NOT EXISTS ${vrelo_gtest_root}/install/lib/cmake/GTest/GTestConfig.cmake)
    message(STATUS "Building GoogleTest from ${VRELO_GTEST_SOURCES} for this target")
    # The framework runs the tests but is not what they test: compiled
    # quickly, unoptimised, without debug information or sanitizers.
    execute_process(
      COMMAND ${CMAKE_COMMAND} -S ${VRELO_GTEST_SOURCES} -B ${vrelo_gtest_root}/build -G ${CMAKE_GENERATOR}
              -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
              -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER} -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
              "-DCMAKE_CXX_FLAGS=${CMAKE_CXX_FLAGS} -O0 -g0" -DCMAKE_BUILD_TYPE=
              -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX=${vrelo_gtest_root}/install -DCMAKE_INSTALL_LIBDIR=lib
      OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${vrelo_gtest_root}/build --target install
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  endif()
  find_package(GTest CONFIG REQUIRED PATHS ${vrelo_gtest_root}/install NO_DEFAULT_PATH)
endif()
include(GoogleTest)
