# 32-bit x86 Linux, built with the host's multilib compilers. Programs run
# natively where this machine executes 32-bit programs - a tiny one is
# built and run to find out - and under user-mode emulation where it does
# not.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i386)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32 -march=i686")
set(CMAKE_CXX_FLAGS_INIT "-m32 -march=i686")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

# CMake reads this file again for each of its compiler checks, in the same
# process: the answer is kept in the environment and probed once.
if(NOT DEFINED ENV{VRELO_I386_RUNS_NATIVELY})
  set(probe ${CMAKE_BINARY_DIR}/CMakeFiles/i386-probe)
  file(WRITE ${probe}.c "int main(void) { return sizeof(void *) == 4 ? 0 : 1; }\n")
  execute_process(COMMAND gcc -m32 -march=i686 ${probe}.c -o ${probe}
                  RESULT_VARIABLE built OUTPUT_QUIET ERROR_QUIET)
  set(ran 1)
  if(built EQUAL 0)
    execute_process(COMMAND ${probe} RESULT_VARIABLE ran OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(ran EQUAL 0)
    set(ENV{VRELO_I386_RUNS_NATIVELY} 1)
  else()
    set(ENV{VRELO_I386_RUNS_NATIVELY} 0)
  endif()
endif()
if(NOT $ENV{VRELO_I386_RUNS_NATIVELY})
  find_program(QEMU_I386 qemu-i386 REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_I386})
endif()
