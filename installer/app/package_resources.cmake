# The installation worker, the package that the installer carries, and the installer
# programs built with both. Included by installer/app/CMakeLists.txt (Windows builds only).
#
# The package: at build time the HOST packing tool QV_PACKER packs a payload folder into two
# LZMA blobs, index.blob and stream.blob ("qvpack pack PAYLOAD_DIR OUT_DIR"); a generated
# resource script embeds them as resources of type "ORX", id 129 (the index) and id 130 (the
# stream), which the worker unpacks at run time (install_blobs.h).
#
#   qv_installer_with_package(target PAYLOAD_DIR [DEPENDS files or targets...])
#       An installer program (the real worker) carrying the package packed from PAYLOAD_DIR;
#       the blobs go to <current binary dir>/<target>_package/. Without DEPENDS, the files
#       below PAYLOAD_DIR are the dependencies and the folder is listed again at every build
#       (CONFIGURE_DEPENDS), so changed, added or removed files repack it. A folder that the
#       build itself fills has no files at configure time: give DEPENDS (its stamp file or
#       the target that fills it) instead.
#   qv_installer_with_blobs(target INDEX_BLOB STREAM_BLOB [DEPENDS files or targets...])
#       The same around two blob files made some other way (tests embed damaged packages
#       with it). DEPENDS: whatever makes the blobs, when a rule of this build does.
#
# QVStampSetup, the shipping installer, carries the folder QV_PAYLOAD_DIR, or the staged
# sample payload (target qv_sample_payload) when QV_PAYLOAD_DIR is empty.

if(NOT QV_PACKER)
  message(FATAL_ERROR
    "QV_PACKER is not set. The Windows builds pack the installer's payload with the HOST "
    "packing tool: build it in a host build first (cmake -S . -B build/host -G Ninja && "
    "cmake --build build/host --target qvpack), then configure this build with "
    "-DQV_PACKER=<that build>/tools/packer/qvpack (an absolute path).")
endif()
if(NOT IS_ABSOLUTE "${QV_PACKER}" OR NOT EXISTS "${QV_PACKER}")
  message(FATAL_ERROR
    "QV_PACKER is \"${QV_PACKER}\", which is not an existing absolute path. Build the host "
    "packing tool first (cmake --build <host build> --target qvpack) and give its full path.")
endif()

# The setup window holds the package catalogue (setup_dialog.h includes the package's
# catalogue header).
target_link_libraries(qv_installer_app PUBLIC qv_package)

# The worker, compiled once and linked into every installer program that installs for real.
add_library(qv_install_worker OBJECT
  ${CMAKE_CURRENT_LIST_DIR}/install_backup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/install_blobs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/install_paths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/install_stop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/install_texts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/install_worker.cpp)
qv_defaults(qv_install_worker)
target_link_libraries(qv_install_worker PUBLIC qv_installer_app qv_package qv_system)

function(qv_installer_with_blobs target index_blob stream_blob)
  cmake_parse_arguments(P "" "" "DEPENDS" ${ARGN})
  get_filename_component(index_blob ${index_blob} ABSOLUTE)
  get_filename_component(stream_blob ${stream_blob} ABSOLUTE)
  foreach(blob IN ITEMS ${index_blob} ${stream_blob})
    if(blob MATCHES "[\"\\\\]")
      message(FATAL_ERROR "package blob path ${blob}: a resource script cannot name it (quote or backslash)")
    endif()
  endforeach()

  qv_installer_program(${target} $<TARGET_OBJECTS:qv_install_worker>)
  target_link_libraries(${target} PRIVATE qv_package qv_system)

  set(rc_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_rc)
  file(CONFIGURE OUTPUT ${rc_dir}/package.rc CONTENT
"// The package of ${target}: resources \"ORX\" 129 (index) and 130 (stream). Generated.
129 ORX \"${index_blob}\"
130 ORX \"${stream_blob}\"
")
  qv_windres(${target} ${rc_dir}/package.rc DEPENDS ${index_blob} ${stream_blob} ${P_DEPENDS})
endfunction()

function(qv_installer_with_package target payload_dir)
  cmake_parse_arguments(P "" "" "DEPENDS" ${ARGN})
  get_filename_component(payload_dir ${payload_dir} ABSOLUTE)
  set(deps ${P_DEPENDS})
  if(NOT deps)
    if(NOT IS_DIRECTORY ${payload_dir})
      message(FATAL_ERROR "payload folder ${payload_dir} of ${target} does not exist")
    endif()
    file(GLOB_RECURSE deps CONFIGURE_DEPENDS ${payload_dir}/*)
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_package)
  add_custom_command(
    OUTPUT ${out}/index.blob ${out}/stream.blob
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${QV_PACKER} pack ${payload_dir} ${out}
    DEPENDS ${QV_PACKER} ${deps}
    COMMENT "Packing ${payload_dir} for ${target}"
    VERBATIM)
  qv_installer_with_blobs(${target} ${out}/index.blob ${out}/stream.blob)
endfunction()

# The shipping installer.
if(QV_PAYLOAD_DIR)
  qv_installer_with_package(QVStampSetup ${QV_PAYLOAD_DIR})
else()
  qv_installer_with_package(QVStampSetup ${QV_SAMPLE_PAYLOAD_DIR}
    DEPENDS ${QV_SAMPLE_PAYLOAD_STAMP} qv_sample_payload)
endif()
