# cmake -DREADER=<reader program> -DFRONT_END=<front end file> -DSCRATCH=<file> -P ...
# Fails unless the front end the program carries (its section quire_front_end) is byte for
# byte the front end file the build made, so a program never runs a stale window.
execute_process(COMMAND objcopy --dump-section quire_front_end=${SCRATCH} ${READER} ${SCRATCH}.elf
                RESULT_VARIABLE status ERROR_VARIABLE error)
file(REMOVE ${SCRATCH}.elf)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${READER} carries no front end section: ${error}")
endif()
file(SHA256 ${SCRATCH} carried)
file(SHA256 ${FRONT_END} built)
file(REMOVE ${SCRATCH})
if(NOT carried STREQUAL built)
  # NOTICE prints the line as it is; FATAL_ERROR would wrap it where the path's length says.
  message(NOTICE "carries another front end than ${FRONT_END}")
  message(FATAL_ERROR "${READER} does not carry ${FRONT_END}")
endif()
message(STATUS "${READER} carries ${FRONT_END}")
