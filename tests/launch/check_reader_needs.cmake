# cmake -DREADER=<path of a reader program> -P check_reader_needs.cmake
# Fails unless the program starts on any desktop that can have WebKitGTK 4.1: its dynamic
# section names only the C and C++ runtimes (no GTK, WebKit or other desktop library,
# which the front end it loads brings), and the newest symbol versions it needs are at
# most glibc 2.34 and the C++ runtime of GCC 11 (GLIBCXX_3.4.29, CXXABI_1.3.13).
set(allowed_libraries libc.so.6 libm.so.6 libdl.so.2 libpthread.so.0 librt.so.1
                      libstdc++.so.6 libgcc_s.so.1)
set(newest_GLIBC 2.34)
set(newest_GLIBCXX 3.4.29)
set(newest_CXXABI 1.3.13)

execute_process(COMMAND readelf --wide --dynamic ${READER}
                OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "readelf could not read ${READER}")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]\n]*\\]" needed_lines "${dynamic}")
set(needed "")
set(refused "")
foreach(line ${needed_lines})
  string(REGEX REPLACE "^.*\\[([^]]*)\\]$" "\\1" library "${line}")
  list(APPEND needed ${library})
  list(FIND allowed_libraries ${library} index)
  # A sanitizer build links the sanitizers' runtimes; no book is made from one.
  if(index LESS 0 AND NOT library MATCHES "^lib(a|ub|l|t|hwa)san\\.so")
    list(APPEND refused ${library})
  endif()
endforeach()
if(NOT needed)
  message(FATAL_ERROR "${READER} names no library at all (not a dynamic program?)")
endif()
if(refused)
  # NOTICE prints the line as it is; FATAL_ERROR would wrap it where the path's length says.
  message(NOTICE "names libraries beyond the C and C++ runtimes: ${refused}")
  message(FATAL_ERROR "${READER} needs more than the C and C++ runtimes")
endif()

# The versions the program asks for, from its version-needs section.
execute_process(COMMAND readelf --wide --version-info ${READER}
                OUTPUT_VARIABLE versions RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "readelf could not read the versions of ${READER}")
endif()
string(REGEX MATCHALL "Name: (GLIBC|GLIBCXX|CXXABI)_[0-9.]+" wanted "${versions}")
set(too_new "")
foreach(family GLIBC GLIBCXX CXXABI)
  set(highest_${family} "")
endforeach()
foreach(entry ${wanted})
  string(REGEX REPLACE "^Name: ([A-Z]+)_([0-9.]+)$" "\\1" family "${entry}")
  string(REGEX REPLACE "^Name: ([A-Z]+)_([0-9.]+)$" "\\2" version "${entry}")
  if(version VERSION_GREATER newest_${family})
    list(APPEND too_new "${family}_${version}")
  endif()
  if(highest_${family} STREQUAL "" OR version VERSION_GREATER highest_${family})
    set(highest_${family} ${version})
  endif()
endforeach()
if(too_new)
  message(FATAL_ERROR "${READER} needs symbol versions newer than glibc ${newest_GLIBC} / "
                      "GLIBCXX ${newest_GLIBCXX} / CXXABI ${newest_CXXABI}: ${too_new}")
endif()
if(highest_GLIBC STREQUAL "")
  message(FATAL_ERROR "${READER} asks for no glibc version at all (unreadable section?)")
endif()
message(STATUS "${READER} needs ${needed}; at most GLIBC_${highest_GLIBC}, "
               "GLIBCXX_${highest_GLIBCXX}, CXXABI_${highest_CXXABI}")
