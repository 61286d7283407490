# Real extension libraries for quire_ext_tests, all built from libs/test_extension.c; each
# build shows one behaviour. The test program learns their paths through compile
# definitions (QUIRE_TEST_EXT_FULL, ...) and copies them into its own folders.
set(quire_ext_test_libs full noruntime nointerface nocommand emptykey twin_a twin_b unruly)
foreach(lib ${quire_ext_test_libs})
  string(TOUPPER ${lib} lib_upper)
  set(lib_target quire_test_ext_${lib})
  add_library(${lib_target} MODULE ${CMAKE_CURRENT_SOURCE_DIR}/ext/libs/test_extension.c)
  set_target_properties(${lib_target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME "__pxa__${lib}"
    SUFFIX ".so"
    C_STANDARD 11
    C_VISIBILITY_PRESET hidden
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/ext_libs)
  target_include_directories(${lib_target} PRIVATE ${PROJECT_SOURCE_DIR}/include)
  target_compile_definitions(${lib_target} PRIVATE TEST_LIB_${lib_upper})
  target_link_libraries(${lib_target} PRIVATE ${CMAKE_DL_LIBS})
  target_compile_options(${lib_target} PRIVATE -Wall -Wextra -Wpedantic
                         $<$<BOOL:${QUIRE_WERROR}>:-Werror>)
  add_dependencies(quire_ext_tests ${lib_target})
  target_compile_definitions(quire_ext_tests PRIVATE
    QUIRE_TEST_EXT_${lib_upper}="$<TARGET_FILE:${lib_target}>")
endforeach()

# The test program exports the host function as the reader does, so a lookup of its name
# in the running program finds it.
target_link_options(quire_ext_tests PRIVATE -Wl,--export-dynamic-symbol=PGX_HostGetFunc)

# The example library of examples/extension, when the examples are part of the build.
if(EXISTS ${PROJECT_SOURCE_DIR}/examples/CMakeLists.txt)
  add_dependencies(quire_ext_tests quire_example_ext)
  target_compile_definitions(quire_ext_tests PRIVATE
    QUIRE_EXAMPLE_EXT="$<TARGET_FILE:quire_example_ext>")
endif()

# The readers (the developer's and the stripped one for books) export the host function
# and the core's own symbols, and nothing of the C or C++ libraries.
add_dependencies(quire_ext_tests quire quire-reader)
foreach(reader quire quire-reader)
  add_test(NAME ReaderExports.HostFunctionAndCore.${reader}
           COMMAND ${CMAKE_COMMAND} -DREADER=$<TARGET_FILE:${reader}>
                   -DSANITIZED=$<CONFIG:Sanitize>
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/ext/check_exports.cmake)
  set_tests_properties(ReaderExports.HostFunctionAndCore.${reader} PROPERTIES LABELS ext)
endforeach()
