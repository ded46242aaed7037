# 32-bit x86 (i686) Linux, built by the host's own g++ or clang++ with -m32 and Debian's 32-bit
# libraries (g++-multilib), and run under qemu-i386 where it is installed:
#   cmake -B build-i686 --toolchain cmake/i686-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

find_program(TESSIVANE_QEMU_I386 qemu-i386)
if(TESSIVANE_QEMU_I386)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSIVANE_QEMU_I386})
endif()
