# Fails when a source file under SOURCE_DIR/src includes a header of a higher layer.
#
# The layers, lowest first: platform, book, pages, ext, script, session, launch (the
# program that loads the window), then app and view (the GTK front end). A file may
# include headers of its own layer and of lower ones, the public headers under quire/, and
# the window seam ui/, which every layer may call; ui itself includes only ui.
#
#   cmake -DSOURCE_DIR=<project> -P check_layers.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(layer_order platform book pages ext script session launch app view)
function(layer_rank layer out)
  if(layer STREQUAL "view")
    set(layer app)  # the window's two halves stand side by side
  endif()
  list(FIND layer_order ${layer} rank)
  set(${out} ${rank} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}/src
     ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.c)
set(violations "")
set(checked 0)
foreach(source ${sources})
  string(REGEX MATCH "^[^/]+" own ${source})
  if(own STREQUAL source)
    continue()  # a file directly in src/ belongs to no layer
  endif()
  math(EXPR checked "${checked} + 1")
  file(STRINGS ${SOURCE_DIR}/src/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${lines})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" header "${line}")
    if(NOT header MATCHES "/")
      continue()  # beside the including file
    endif()
    string(REGEX MATCH "^[^/]+" target ${header})
    if(target STREQUAL own OR target STREQUAL "quire")
      continue()
    endif()
    if(own STREQUAL "ui")
      list(APPEND violations "src/${source}: the window seam includes \"${header}\"")
      continue()
    endif()
    if(target STREQUAL "ui")
      continue()
    endif()
    layer_rank(${own} own_rank)
    layer_rank(${target} target_rank)
    if(own_rank LESS 0)
      list(APPEND violations "src/${source}: folder '${own}' is not a known layer")
    elseif(target_rank LESS 0)
      list(APPEND violations "src/${source}: \"${header}\" is in no known layer")
    elseif(target_rank GREATER own_rank)
      list(APPEND violations "src/${source}: ${own} includes the higher layer's \"${header}\"")
    endif()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no source files found under ${SOURCE_DIR}/src")
endif()
if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "includes against the layer order:\n  ${text}")
endif()
message(STATUS "${checked} files keep the layer order")
