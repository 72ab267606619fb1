# Profile-guided optimisation of the engine's libraries in Release builds.
#
# A copy of the project is built in a folder of its own with instrumented
# code, its bench and its perft run once at a small depth, and the counts
# they leave behind steer the compilation of the libraries they exercise and
# of perft (the UCI host and the program's entry point are not among them).
# The copy is rebuilt with every build; when its programs changed, the
# training runs again and the libraries are compiled anew with the new counts.
#
# Used in a native Release build with GCC, without sanitizers or the fuzzer;
# -DTAVROLIN_PGO=OFF leaves it out.
set(TAVROLIN_PGO_PROFILED_LIBRARIES
    tavrolin_common tavrolin_platform tavrolin_board tavrolin_eval tavrolin_search tavrolin_bench)
# The depths of the training run: a few seconds of the instrumented code.
set(TAVROLIN_PGO_TRAINING_DEPTH 7)
set(TAVROLIN_PGO_PERFT_DEPTH 5)

# Compiles target with the training's counts (nothing where the build goes
# without them).
function(tavrolin_profiled target)
endfunction()

if(NOT (TAVROLIN_PGO AND CMAKE_BUILD_TYPE STREQUAL "Release" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU"
        AND TAVROLIN_SANITIZE STREQUAL "" AND NOT TAVROLIN_FUZZ AND NOT CMAKE_CROSSCOMPILING))
  return()
endif()

include(ExternalProject)
set(PGO_DIR ${PROJECT_BINARY_DIR}/pgo)
set(PGO_TRAINING_BUILD ${PGO_DIR}/build)
set(PGO_DATA ${PGO_DIR}/data)
set(PGO_STAMP ${PGO_DIR}/trained.stamp)
set(PGO_BENCH ${PGO_TRAINING_BUILD}/tools/bench/tavrolin-bench)
set(PGO_PERFT ${PGO_TRAINING_BUILD}/tools/perft/tavrolin-perft)

# A make-based build lends the training build its job slots.
if(CMAKE_GENERATOR MATCHES "Makefiles")
  set(PGO_BUILD_COMMAND $(MAKE) tavrolin-bench tavrolin-perft)
else()
  set(PGO_BUILD_COMMAND ${CMAKE_COMMAND} --build ${PGO_TRAINING_BUILD} --target tavrolin-bench tavrolin-perft)
endif()

# The counts are kept per object under the object's path inside its build
# folder, so that the training build and this one name the same file.
ExternalProject_Add(pgo_training_build
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${PGO_TRAINING_BUILD}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DTAVROLIN_TESTS=OFF -DTAVROLIN_BENCHMARKS=OFF -DTAVROLIN_PGO=OFF
             -DTAVROLIN_LTO=${TAVROLIN_LTO} -DTAVROLIN_NATIVE=${TAVROLIN_NATIVE} -DTAVROLIN_PIE=${TAVROLIN_PIE}
             -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
             "-DCMAKE_CXX_FLAGS=${CMAKE_CXX_FLAGS} -fprofile-generate=${PGO_DATA} -fprofile-prefix-path=${PGO_TRAINING_BUILD} -fprofile-update=single"
             -DCMAKE_EXE_LINKER_FLAGS=-fprofile-generate=${PGO_DATA}
  BUILD_COMMAND ${PGO_BUILD_COMMAND}
  BUILD_BYPRODUCTS ${PGO_BENCH} ${PGO_PERFT}
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")

add_custom_command(
  OUTPUT ${PGO_STAMP}
  COMMAND ${CMAKE_COMMAND} -DBENCH=${PGO_BENCH} -DDEPTH=${TAVROLIN_PGO_TRAINING_DEPTH} -DPERFT=${PGO_PERFT}
          -DPERFT_DEPTH=${TAVROLIN_PGO_PERFT_DEPTH} -DDATA=${PGO_DATA} -P ${CMAKE_CURRENT_LIST_DIR}/PgoTrain.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${PGO_STAMP}
  DEPENDS pgo_training_build ${PGO_BENCH} ${PGO_PERFT} ${CMAKE_CURRENT_LIST_DIR}/PgoTrain.cmake
  COMMENT "Training the profile-guided build on the bench and perft"
  VERBATIM)
add_custom_target(pgo_profile DEPENDS ${PGO_STAMP})

# Code the training does not run keeps its ordinary optimisation; a file with
# no counts at all (nothing of it linked into the trained programs) is
# compiled as without a profile.
function(tavrolin_profiled target)
  add_dependencies(${target} pgo_profile)
  target_compile_options(${target} PRIVATE -fprofile-use=${PGO_DATA} -fprofile-prefix-path=${PROJECT_BINARY_DIR}
                                           -fprofile-partial-training -Wno-missing-profile)
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set_property(SOURCE ${sources} DIRECTORY ${source_dir} APPEND PROPERTY OBJECT_DEPENDS ${PGO_STAMP})
endfunction()
foreach(library IN LISTS TAVROLIN_PGO_PROFILED_LIBRARIES)
  tavrolin_profiled(${library})
endforeach()

# The link-time optimisation reads the profile's settings again.
if(TAVROLIN_LTO_LINK_OPTIONS)
  list(APPEND TAVROLIN_LTO_LINK_OPTIONS -fprofile-use=${PGO_DATA} -fprofile-partial-training -Wno-missing-profile)
endif()
