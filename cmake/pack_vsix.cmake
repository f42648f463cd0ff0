# Packs the VS Code extension into a .vsix, run as
#   cmake -DSOURCE=editors/vscode -DWORK=dir -DOUTPUT=velmora.vsix
#         [-DMODULES=dir/node_modules] [-DVSCE=path/to/vsce] -P pack_vsix.cmake
# The extension's npm packages come from MODULES when it exists (setup.sh's
# test part installs them there, so that the tests pack offline), else from
# npm install; the packer is VSCE when it exists, else npx fetches it.
foreach(required SOURCE WORK OUTPUT)
  if(NOT ${required})
    message(FATAL_ERROR "pack_vsix.cmake needs -D${required}=...")
  endif()
endforeach()

foreach(path SOURCE WORK OUTPUT MODULES VSCE)
  if(${path})
    get_filename_component(${path} ${${path}} ABSOLUTE)
  endif()
endforeach()

set(VSCE_VERSION 3.9.2)

file(REMOVE_RECURSE ${WORK})
file(COPY ${SOURCE}/ DESTINATION ${WORK})

if(MODULES AND EXISTS ${MODULES})
  file(COPY ${MODULES} DESTINATION ${WORK})
else()
  find_program(NPM npm REQUIRED)
  execute_process(COMMAND ${NPM} install --omit=dev --no-audit --no-fund
                  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "npm install of the extension's packages failed")
  endif()
endif()

if(VSCE AND EXISTS ${VSCE})
  set(packer ${VSCE})
else()
  find_program(NPX npx REQUIRED)
  set(packer ${NPX} --yes @vscode/vsce@${VSCE_VERSION})
endif()
execute_process(COMMAND ${packer} package --skip-license --out ${OUTPUT}
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "vsce could not pack the extension")
endif()
