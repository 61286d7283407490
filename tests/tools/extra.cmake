# The tool tests run the real quire-pack and use the real reader program as the image.
target_sources(quire_tools_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tools/pack_runner.cpp
                                         ${CMAKE_CURRENT_SOURCE_DIR}/tools/json_value.cpp)
target_link_libraries(quire_tools_tests PRIVATE quire_pack_lib)
add_dependencies(quire_tools_tests quire quire-pack)
target_compile_definitions(quire_tools_tests PRIVATE
  QUIRE_PACK_PATH="$<TARGET_FILE:quire-pack>"
  QUIRE_READER_PATH="$<TARGET_FILE:quire>")
target_compile_definitions(quire_tools_tests PRIVATE
  QUIRE_SAMPLE_BOOK_DIR="${PROJECT_SOURCE_DIR}/examples/sample-book")
target_compile_definitions(quire_tools_tests PRIVATE
  QUIRE_SITE_FIXTURE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/tools/fixtures/site")

# The stripped reader that quire-pack takes by itself, and the example extension that the
# run script adds to the sample book.
add_dependencies(quire_tools_tests quire-reader)
target_compile_definitions(quire_tools_tests PRIVATE
  QUIRE_STRIPPED_READER_PATH="$<TARGET_FILE:quire-reader>")
if(EXISTS ${PROJECT_SOURCE_DIR}/examples/CMakeLists.txt)
  add_dependencies(quire_tools_tests quire_example_ext)
  target_compile_definitions(quire_tools_tests PRIVATE
    QUIRE_EXAMPLE_EXT_PATH="$<TARGET_FILE:quire_example_ext>")
endif()

# The size of a book is checked on the optimized builds that books are made from; a debug
# build or one with sanitizers makes a far larger reader.
string(TOUPPER "${CMAKE_BUILD_TYPE}" quire_build_type)
if(quire_build_type MATCHES "^(RELEASE|RELWITHDEBINFO|MINSIZEREL)$" AND
   NOT "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${quire_build_type}}" MATCHES "-fsanitize")
  target_compile_definitions(quire_tools_tests PRIVATE QUIRE_BOOK_BUILD)
endif()
