# cmake -DSOURCE=DIR -DTARGET=DIR -P CopyWebPlayer.cmake: copies the web player's scripts,
# WebAssembly modules and licences.
if(NOT EXISTS "${SOURCE}/ruffle.js")
  message(WARNING "The web player is not installed at ${SOURCE}: run scripts/install-deps.sh; "
                  "published pages will not play until it is there")
  return()
endif()
file(GLOB files "${SOURCE}/*.js" "${SOURCE}/*.wasm" "${SOURCE}/LICENSE*")
file(MAKE_DIRECTORY "${TARGET}")
foreach(f IN LISTS files)
  get_filename_component(name "${f}" NAME)
  file(COPY_FILE "${f}" "${TARGET}/${name}" ONLY_IF_DIFFERENT)
endforeach()
