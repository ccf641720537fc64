# 32-bit x86 Linux, built with the host's multilib compilers. Programs run
# natively where the kernel executes 32-bit programs (a probe tells), under
# user-mode emulation with qemu-i386 where it does not.
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
if(NOT DEFINED VRELO_I386_NATIVE)
  set(probe /tmp/vrelo-i386-probe-${CMAKE_HOST_SYSTEM_NAME}-$ENV{USER})
  execute_process(
    COMMAND sh -c "printf 'int main(void){return 0;}' | gcc -m32 -x c - -o \"$1\" && \"$1\""
            sh ${probe}
    RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
  file(REMOVE ${probe})
  if(probe_result EQUAL 0)
    set(VRELO_I386_NATIVE ON CACHE INTERNAL "32-bit programs run natively here")
  else()
    set(VRELO_I386_NATIVE OFF CACHE INTERNAL "32-bit programs run natively here")
  endif()
endif()
if(NOT VRELO_I386_NATIVE)
  find_program(QEMU_I386 qemu-i386 REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_I386})
endif()
