# cmake -DREADER=<path of quire> -P check_exports.cmake
# Fails unless the reader's dynamic symbol table defines PGX_HostGetFunc and nothing else.
# Only global and weak symbols are exports: the linker may keep local entries in the
# dynamic table (the version script's "local: *"), which nothing else can bind to.
execute_process(COMMAND nm -D --defined-only --extern-only ${READER}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm could not read ${READER}")
endif()
string(REGEX REPLACE "\n$" "" symbols "${symbols}")
string(REPLACE "\n" ";" lines "${symbols}")
set(names "")
foreach(line ${lines})
  # A local entry (lower-case type) is not an export: nothing can bind to it. The linker
  # keeps such entries for hidden C++ library templates the program instantiates.
  if(line MATCHES "^[0-9a-fA-F]* +[a-z] ")
    continue()
  endif()
  string(REGEX REPLACE "^[0-9a-fA-F]* +[A-Za-z] " "" name "${line}")
  list(APPEND names "${name}")
endforeach()
if(NOT names STREQUAL "PGX_HostGetFunc")
  message(FATAL_ERROR "the reader exports [${names}], expected only PGX_HostGetFunc")
endif()
message(STATUS "the reader exports only PGX_HostGetFunc")
