# The launcher tests load fake front ends built here: one that works, one without the
# entry point and one that needs a library the loader cannot find (built in a folder of
# its own, with no run path leading there).
target_link_libraries(quire_launch_tests PRIVATE quire_launch)
add_library(quire_test_absent_library SHARED ${CMAKE_CURRENT_SOURCE_DIR}/launch/libs/absent_library.c)
set_target_properties(quire_test_absent_library PROPERTIES
  OUTPUT_NAME quire_absent SOVERSION 1 C_VISIBILITY_PRESET hidden
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/launch_absent)
foreach(variant working noentry needsabsent)
  string(TOUPPER ${variant} variant_upper)
  set(lib_target quire_test_front_${variant})
  add_library(${lib_target} MODULE ${CMAKE_CURRENT_SOURCE_DIR}/launch/libs/fake_front_end.c)
  set_target_properties(${lib_target} PROPERTIES
    PREFIX "" SUFFIX ".so" C_STANDARD 11 C_VISIBILITY_PRESET hidden SKIP_BUILD_RPATH ON
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/launch_libs)
  target_compile_options(${lib_target} PRIVATE -Wall -Wextra -Wpedantic
                         $<$<BOOL:${QUIRE_WERROR}>:-Werror>)
  add_dependencies(quire_launch_tests ${lib_target})
  target_compile_definitions(quire_launch_tests PRIVATE
    QUIRE_TEST_FRONT_${variant_upper}="$<TARGET_FILE:${lib_target}>")
endforeach()
target_compile_definitions(quire_test_front_noentry PRIVATE FRONT_NO_ENTRY)
target_compile_definitions(quire_test_front_needsabsent PRIVATE FRONT_NEEDS_ABSENT)
target_link_libraries(quire_test_front_needsabsent PRIVATE quire_test_absent_library)

# What the reader programs need from the machine they start on. The front end, which
# links GTK and WebKit, shows that the check refuses such a program.
foreach(reader quire quire-reader)
  add_test(NAME ReaderNeeds.OnlyOldRuntimes.${reader}
           COMMAND ${CMAKE_COMMAND} -DREADER=$<TARGET_FILE:${reader}>
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/launch/check_reader_needs.cmake)
  set_tests_properties(ReaderNeeds.OnlyOldRuntimes.${reader} PROPERTIES LABELS launch)
endforeach()
add_test(NAME ReaderNeeds.CheckRefusesTheFrontEnd
         COMMAND ${CMAKE_COMMAND} -DREADER=$<TARGET_FILE:quire_front_end>
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/launch/check_reader_needs.cmake)
set_tests_properties(ReaderNeeds.CheckRefusesTheFrontEnd PROPERTIES LABELS launch
  PASS_REGULAR_EXPRESSION "beyond the C and C\\+\\+ runtimes: [^\n]*libwebkit2gtk-4\\.1\\.so\\.0")
add_dependencies(quire_launch_tests quire quire-reader quire_front_end)

# Every core symbol the front end needs is exported by the programs that carry it.
foreach(reader quire quire-reader)
  add_test(NAME ReaderNeeds.FrontEndBindsToTheCore.${reader}
           COMMAND ${CMAKE_COMMAND} -DREADER=$<TARGET_FILE:${reader}>
                   -DFRONT_END=$<TARGET_FILE:quire_front_end>
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/launch/check_front_end_binds.cmake)
  set_tests_properties(ReaderNeeds.FrontEndBindsToTheCore.${reader} PROPERTIES LABELS launch)
endforeach()
add_test(NAME ReaderNeeds.BindCheckRefusesAProgramWithoutTheCore
         COMMAND ${CMAKE_COMMAND} -DREADER=$<TARGET_FILE:quire-pack>
                 -DFRONT_END=$<TARGET_FILE:quire_front_end>
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/launch/check_front_end_binds.cmake)
set_tests_properties(ReaderNeeds.BindCheckRefusesAProgramWithoutTheCore PROPERTIES
  LABELS launch PASS_REGULAR_EXPRESSION "does not export what its front end needs: ")

# Each program carries the front end the build made for it.
foreach(pair "quire:quire_front_end.so" "quire-reader:quire_front_end.stripped.so")
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 reader)
  list(GET pair 1 front_end)
  add_test(NAME ReaderNeeds.CarriesTheBuiltFrontEnd.${reader}
           COMMAND ${CMAKE_COMMAND} -DREADER=$<TARGET_FILE:${reader}>
                   -DFRONT_END=${PROJECT_BINARY_DIR}/${front_end}
                   -DSCRATCH=${CMAKE_CURRENT_BINARY_DIR}/carried_${reader}.so
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/launch/check_embedded_front_end.cmake)
  set_tests_properties(ReaderNeeds.CarriesTheBuiltFrontEnd.${reader} PROPERTIES LABELS launch)
endforeach()
add_test(NAME ReaderNeeds.CarriedCheckRefusesAnotherFrontEnd
         COMMAND ${CMAKE_COMMAND} -DREADER=$<TARGET_FILE:quire-reader>
                 -DFRONT_END=${PROJECT_BINARY_DIR}/quire_front_end.so
                 -DSCRATCH=${CMAKE_CURRENT_BINARY_DIR}/carried_other.so
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/launch/check_embedded_front_end.cmake)
set_tests_properties(ReaderNeeds.CarriedCheckRefusesAnotherFrontEnd PROPERTIES
  LABELS launch PASS_REGULAR_EXPRESSION "carries another front end")

# The reader programs with no book appended say what they are instead of calling
# themselves a damaged book; a book made from them still opens (the GUI tests).
foreach(reader quire quire-reader)
  foreach(run "version:0:--version" "help:0:--help" "alone:1:")
    string(REPLACE ":" ";" run "${run}")
    list(GET run 0 what)
    list(GET run 1 code)
    list(LENGTH run parts)
    set(arg "")
    if(parts GREATER 2)
      list(GET run 2 arg)
    endif()
    add_test(NAME BareReader.SaysWhatItIs.${reader}.${what}
             COMMAND ${CMAKE_COMMAND} -DREADER=$<TARGET_FILE:${reader}> -DARG=${arg}
                     -DEXPECTED_CODE=${code}
                     -P ${CMAKE_CURRENT_SOURCE_DIR}/launch/check_bare_reader.cmake)
    set_tests_properties(BareReader.SaysWhatItIs.${reader}.${what} PROPERTIES LABELS launch)
  endforeach()
endforeach()
