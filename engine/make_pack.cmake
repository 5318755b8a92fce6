# Builds the engine pack from the built library and archiver:
#   OUT_DIR/engine/   libaquarius.so and cef.pak (the engine's manifest: its
#                     library and the library's digest, so a pack of another
#                     build never passes for this one)
#   OUT_DIR/Enginepack
#   OUT_DIR/cef.pak.md5  the digest the server announces as cef_32_md5
# Run with cmake -P and ENGINE_LIBRARY, ARCHIVER, PACKER, OUT_DIR, QT_VERSION.
foreach(var ENGINE_LIBRARY ARCHIVER PACKER OUT_DIR QT_VERSION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make_pack.cmake: ${var} is not set")
  endif()
endforeach()

set(engine_dir "${OUT_DIR}/engine")
file(REMOVE_RECURSE "${engine_dir}")
file(MAKE_DIRECTORY "${engine_dir}")
file(COPY_FILE "${ENGINE_LIBRARY}" "${engine_dir}/libaquarius.so")
file(MD5 "${engine_dir}/libaquarius.so" library_md5)
file(WRITE "${engine_dir}/cef.pak"
  "Lark-Bay browser engine\nQt WebEngine ${QT_VERSION}\nlibaquarius.so ${library_md5}\n")

execute_process(
  COMMAND "${PACKER}" --archiver "${ARCHIVER}" --engine-dir "${engine_dir}"
          --out "${OUT_DIR}/Enginepack"
  RESULT_VARIABLE status
  OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "make_pack.cmake: the pack builder failed (${status})")
endif()
file(MD5 "${engine_dir}/cef.pak" cef_md5)
file(WRITE "${OUT_DIR}/cef.pak.md5" "${cef_md5}\n")
