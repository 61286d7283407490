# cmake -DREADER=<path of a reader program> [-DSANITIZED=1] -P check_exports.cmake
# Fails unless the reader's dynamic symbol table defines PGX_HostGetFunc, and otherwise
# only the core's own C++ symbols (namespace quire: functions, vtables, type information),
# which the window front end that the program loads binds to. A symbol of the C or C++
# libraries (a copied variable such as stderr, a template instance of std::) or any other
# C name must not be exported: extension libraries and the front end would bind to it.
# Only global and weak symbols are exports: the linker may keep local entries in the
# dynamic table (the version script's "local: *"), which nothing else can bind to.
# In a sanitizer build (SANITIZED) the program also carries the sanitizer runtime's
# variables, which it must share with that runtime: those names are allowed there only.
execute_process(COMMAND nm -D --defined-only --extern-only ${READER}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm could not read ${READER}")
endif()
string(REGEX REPLACE "\n$" "" symbols "${symbols}")
string(REPLACE "\n" ";" lines "${symbols}")
set(host FALSE)
set(core 0)
set(strangers "")
foreach(line ${lines})
  # A local entry (lower-case type) is not an export: nothing can bind to it. The linker
  # keeps such entries for hidden C++ library templates the program instantiates.
  if(line MATCHES "^[0-9a-fA-F]* +[a-z] ")
    continue()
  endif()
  string(REGEX REPLACE "^[0-9a-fA-F]* +[A-Za-z] " "" name "${line}")
  if(SANITIZED AND name MATCHES "^__(asan|ubsan|lsan|sanitizer)_")
    continue()
  endif()
  if(name STREQUAL "PGX_HostGetFunc")
    set(host TRUE)
  elseif(name MATCHES "^_Z(N|NK|ZN|ZNK|GVZN|GVZNK|TVN|TIN|TSN|Thn[0-9]+_N|Tv[0-9n_]+N)5quire")
    math(EXPR core "${core} + 1")
  else()
    list(APPEND strangers "${name}")
  endif()
endforeach()
if(NOT host)
  message(FATAL_ERROR "${READER} does not export PGX_HostGetFunc")
endif()
if(strangers)
  message(FATAL_ERROR "${READER} exports more than the host function and the core: [${strangers}]")
endif()
if(core EQUAL 0)
  message(FATAL_ERROR "${READER} exports none of the core's symbols for its front end")
endif()
message(STATUS "${READER} exports the host function and ${core} core symbols")
