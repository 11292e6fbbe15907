# Fails the build when an SQL statement, or Qt's SQL classes, stand outside src/db/: every
# statement lives behind a gateway there. Run as
#   cmake -DSRC=<src dir> -P CheckSql.cmake
cmake_minimum_required(VERSION 3.22)
file(GLOB folders RELATIVE ${SRC} ${SRC}/*)
list(REMOVE_ITEM folders db)

set(errors "")
foreach(folder ${folders})
  file(GLOB_RECURSE files ${SRC}/${folder}/*.cpp ${SRC}/${folder}/*.h)
  foreach(f ${files})
    file(STRINGS ${f} lines
         REGEX "(#include <QSql|\"[^\"]*(SELECT |INSERT INTO|UPDATE [A-Za-z_]+ SET|DELETE FROM|CREATE (TABLE|INDEX|TRIGGER)|DROP (TABLE|INDEX)|ALTER TABLE))")
    foreach(line ${lines})
      file(RELATIVE_PATH rel ${SRC} ${f})
      string(STRIP "${line}" line)
      string(APPEND errors "  ${rel}: ${line}\n")
    endforeach()
  endforeach()
endforeach()
if(errors)
  message(FATAL_ERROR "SQL outside src/db/ (move it into a gateway there):\n${errors}")
endif()
