# Fails the build when a file includes a header of a layer it may not use. Run as
cmake_minimum_required(VERSION 3.22)
#   cmake -DSRC=<src dir> -P CheckLayers.cmake
# Each entry: a folder and the folders its files may include (besides its own).
set(allowed
  "platform:platform"
  "db:platform"
  "ui:platform"
  "common:ui,db,platform"
  "import:common,ui,db,platform"
  "blocking:db,platform"
  "placement:blocking,common,ui,db,platform"
  "planning:blocking,common,ui,db,platform"
  "export:blocking,common,ui,db,platform"
  "printing:common,ui,db,platform"
  "editors:import,common,ui,db,platform"
  "exchange:import,blocking,common,ui,db,platform"
  "app:planning,exchange,import,placement,blocking,export,printing,editors,common,ui,db,platform"
  "pages:ui,platform"
  "cli:app,planning,pages,exchange,import,placement,blocking,export,printing,editors,common,ui,db,platform"
  "gui:app,planning,pages,exchange,import,placement,blocking,export,printing,editors,common,ui,db,platform")

set(known)
foreach(entry ${allowed})
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 layer)
  list(APPEND known ${layer})
endforeach()

set(errors "")
foreach(entry ${allowed})
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 layer)
  list(LENGTH parts n)
  set(may ${layer})
  if(n GREATER 1)
    list(GET parts 1 below)
    string(REPLACE "," ";" below "${below}")
    list(APPEND may ${below})
  endif()
  file(GLOB_RECURSE files ${SRC}/${layer}/*.cpp ${SRC}/${layer}/*.h)
  foreach(f ${files})
    file(STRINGS ${f} includes REGEX "^#include \"[a-z]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" target "${line}")
      list(FIND known ${target} isLayer)
      list(FIND may ${target} ok)
      if(isLayer GREATER -1 AND ok EQUAL -1)
        file(RELATIVE_PATH rel ${SRC} ${f})
        string(APPEND errors "  ${rel}: ${line} (${layer} may not use ${target})\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(errors)
  message(FATAL_ERROR "Includes across the layers:\n${errors}")
endif()
