# 32-bit x86 (i686) Linux, built by the host's own compiler with -m32 and Debian's 32-bit
# libraries (g++-multilib), and run under qemu-i386 where it is installed:
#   cmake -B build-i686 --toolchain cmake/i686-linux-gnu.cmake
# CC and CXX choose the compilers (cc and c++ by default). -m32 is part of the compiler command
# itself, so that no compiler flags given when configuring can drop it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

foreach(lang_var C:CC:cc CXX:CXX:c++)
  string(REPLACE ":" ";" parts "${lang_var}")
  list(GET parts 0 lang)
  list(GET parts 1 env)
  list(GET parts 2 default)
  if(DEFINED ENV{${env}})
    separate_arguments(compiler UNIX_COMMAND "$ENV{${env}}")
  else()
    set(compiler ${default})
  endif()
  set(CMAKE_${lang}_COMPILER ${compiler} -m32)
endforeach()

find_program(TESSIVANE_QEMU_I386 qemu-i386)
if(TESSIVANE_QEMU_I386)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSIVANE_QEMU_I386})
endif()
