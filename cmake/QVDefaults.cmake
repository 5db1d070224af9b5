# Build-wide settings and the one function every project target goes through.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(QV_WINDOWS ON)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(QV_PLATFORM win64)
  else()
    set(QV_PLATFORM win32)
  endif()
else()
  set(QV_WINDOWS OFF)
  set(QV_PLATFORM host)
endif()

# Sanitizers for host builds (fuzzing and checking): -DQV_SANITIZE=address,undefined
set(QV_SANITIZE "" CACHE STRING "sanitizers for host builds")

# qv_defaults(target): sources are UTF-8, narrow string literals are GBK at run time
# (the installer's code page), warnings on, Windows programs fully static.
function(qv_defaults target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX,C>:-finput-charset=UTF-8 -fexec-charset=GBK -Wall -Wextra>)
  if(QV_WINDOWS)
    target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
      target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
    endif()
    target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections)
  elseif(QV_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=${QV_SANITIZE} -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=${QV_SANITIZE})
  endif()
endfunction()

# qv_gui(target): a Windows GUI program (no console window).
function(qv_gui target)
  if(QV_WINDOWS)
    target_link_options(${target} PRIVATE -mwindows)
  endif()
endfunction()

# qv_shipped(target): a program that ships (the installer, the launcher): no symbols, since
# every byte of it is downloaded by every user.
function(qv_shipped target)
  if(QV_WINDOWS)
    target_link_options(${target} PRIVATE -s)
  endif()
endfunction()
