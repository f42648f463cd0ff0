# Names that the headers of the generated C++ already use at global scope:
# the prologue that the translator writes at the top of every implementation
# file is preprocessed with the host C++ compiler and, when it is installed,
# with em++, and extract_reserved_names reads the macros and the global
# declarations out of the results into a table that velc_core compiles.
# Sets RESERVED_NAMES_TABLE to that generated source.
set(RESERVED_DIR ${GEN_DIR}/reserved_names)
file(MAKE_DIRECTORY ${RESERVED_DIR})
set(RESERVED_TOOLS ${CMAKE_SOURCE_DIR}/tools/reserved_names)
set(RESERVED_PROLOGUE ${RESERVED_DIR}/prologue.cpp)
set(RESERVED_NAMES_TABLE ${GEN_DIR}/reserved_names_table.cpp)
file(GLOB RESERVED_RUNTIME_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/runtime/include/velmora/*)

add_executable(extract_reserved_names ${RESERVED_TOOLS}/extract_reserved_names.cpp)
target_compile_options(extract_reserved_names PRIVATE -Wall)

# The preprocessor reads the prologue as a C++ source of its own.
add_custom_command(
  OUTPUT ${RESERVED_PROLOGUE}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/translator/prologue.txt ${RESERVED_PROLOGUE}
  DEPENDS ${CMAKE_SOURCE_DIR}/translator/prologue.txt
  COMMENT "Writing the prologue of generated C++ files")

# The prologue as one compiler's headers expand it, macros kept (-dD).
function(preprocess_prologue compiler output description)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${compiler} -std=c++17 -E -dD -I${CMAKE_SOURCE_DIR}/runtime/include
            ${RESERVED_PROLOGUE} -o ${output}
    DEPENDS ${RESERVED_PROLOGUE} ${RESERVED_RUNTIME_HEADERS}
    COMMENT "Preprocessing the prologue with ${description}")
endfunction()

preprocess_prologue(${CMAKE_CXX_COMPILER} ${RESERVED_DIR}/host.i
                    "${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION}")
set(RESERVED_PREPROCESSED ${RESERVED_DIR}/host.i)

# The same cache entry as the WebAssembly build of libvel.
find_program(VEL_EMXX em++)
if(VEL_EMXX)
  preprocess_prologue(${VEL_EMXX} ${RESERVED_DIR}/em.i em++)
  list(APPEND RESERVED_PREPROCESSED ${RESERVED_DIR}/em.i)
else()
  message(STATUS "em++ not found: reserved names come from the host compiler's headers only")
endif()

add_custom_command(
  OUTPUT ${RESERVED_NAMES_TABLE}
  COMMAND extract_reserved_names ${RESERVED_NAMES_TABLE} ${RESERVED_PREPROCESSED}
  DEPENDS extract_reserved_names ${RESERVED_PREPROCESSED}
  COMMENT "Extracting the names reserved by the headers")
