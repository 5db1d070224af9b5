# liblzma and libcrypto as qv::lzma and qv::crypto.
# Host: the system's -dev packages. Windows: the static builds that scripts/setup.sh makes
# from Debian's source packages (paths in $QV_DEPS_CACHE/deps.env).
if(QV_WINDOWS)
  set(QV_DEPS_CACHE "$ENV{QV_DEPS_CACHE}")
  if(NOT QV_DEPS_CACHE)
    set(QV_DEPS_CACHE /var/cache/qvsetup-deps)
  endif()
  if(NOT EXISTS ${QV_DEPS_CACHE}/deps.env)
    message(FATAL_ERROR "No Windows builds of liblzma/libcrypto in ${QV_DEPS_CACHE}: run scripts/setup.sh first")
  endif()
  file(STRINGS ${QV_DEPS_CACHE}/deps.env lines)
  string(TOUPPER ${QV_ARCH} arch_upper)
  foreach(line IN LISTS lines)
    if(line MATCHES "^QV_LZMA_${arch_upper}=(.*)$")
      set(lzma_dir ${CMAKE_MATCH_1})
    elseif(line MATCHES "^QV_CRYPTO_${arch_upper}=(.*)$")
      set(crypto_dir ${CMAKE_MATCH_1})
    endif()
  endforeach()
  add_library(qv::lzma STATIC IMPORTED GLOBAL)
  set_target_properties(qv::lzma PROPERTIES
    IMPORTED_LOCATION ${lzma_dir}/lib/liblzma.a
    INTERFACE_INCLUDE_DIRECTORIES ${lzma_dir}/include
    INTERFACE_COMPILE_DEFINITIONS LZMA_API_STATIC)
  add_library(qv::crypto STATIC IMPORTED GLOBAL)
  set_target_properties(qv::crypto PROPERTIES
    IMPORTED_LOCATION ${crypto_dir}/lib/libcrypto.a
    INTERFACE_INCLUDE_DIRECTORIES ${crypto_dir}/include
    INTERFACE_LINK_LIBRARIES "bcrypt;ws2_32;crypt32;advapi32;user32")
else()
  find_package(LibLZMA REQUIRED)
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  add_library(qv::lzma ALIAS LibLZMA::LibLZMA)
  add_library(qv::crypto ALIAS OpenSSL::Crypto)
endif()
