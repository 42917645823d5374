# One static library per layer of src/, each linking only the layers it may use:
#   app -> ui -> commands -> list, opener -> base
# Sources include the project's headers as "layer/File.h". A layer's library puts on the include
# path a folder that holds only its own layer (a link named after it to src/<layer>), and passes
# it on to the libraries that link it, so a header of a layer that is not linked is not found and
# the build stops at the wrong include. (Relative includes such as "../list/File.h" are caught by
# scripts/check-layers.sh.)

# corvantis_layer_include_dir(<layer> <out-var>): the include folder that shows <layer> alone.
function(corvantis_layer_include_dir layer out_var)
  set(${out_var} ${CMAKE_BINARY_DIR}/layer-src/${layer} PARENT_SCOPE)
endfunction()

# corvantis_add_layer(<layer> SOURCES <files>... [USES <layers>...] [LINKS <targets>...]
#                     [CORE_ONLY])
# Adds the library corvantis_<layer> from src/<layer>/<files>. CORE_ONLY: Qt Gui and Qt Widgets
# headers stop the compile (see NoWidgetsGuard.cmake).
function(corvantis_add_layer layer)
  cmake_parse_arguments(LAYER "CORE_ONLY" "" "SOURCES;USES;LINKS" ${ARGN})
  list(TRANSFORM LAYER_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/)
  add_library(corvantis_${layer} STATIC ${LAYER_SOURCES})

  corvantis_layer_include_dir(${layer} root)
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${layer} ${root}/${layer} SYMBOLIC)
  target_include_directories(corvantis_${layer} PUBLIC ${root})

  list(TRANSFORM LAYER_USES PREPEND corvantis_)
  target_link_libraries(corvantis_${layer} PUBLIC ${LAYER_USES} ${LAYER_LINKS})
  if(LAYER_CORE_ONLY)
    corvantis_forbid_gui_headers(corvantis_${layer})
  endif()
endfunction()
