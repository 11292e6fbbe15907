# Fails the build when an SQL statement stands outside src/db/ in a folder whose statements have
# moved into the db/ gateways. Run as
cmake_minimum_required(VERSION 3.22)
#   cmake -DSRC=<src dir> -P CheckSql.cmake
# A folder joins the list once its last statement has moved.
set(folders placement editors)

set(errors "")
foreach(folder ${folders})
  file(GLOB_RECURSE files ${SRC}/${folder}/*.cpp ${SRC}/${folder}/*.h)
  foreach(f ${files})
    file(STRINGS ${f} lines
         REGEX "\"[^\"]*(SELECT |INSERT INTO|UPDATE [A-Za-z_]+ SET|DELETE FROM|CREATE (TABLE|INDEX|TRIGGER)|DROP (TABLE|INDEX)|ALTER TABLE)")
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
