# Builds of the project's own code under the sanitizers, and the fuzzing build.
#
#   -DZEFRO_SANITIZE=ON  AddressSanitizer and UndefinedBehaviorSanitizer on every target of the
#                        project (scripts/test-sanitized.sh runs the whole test suite this way)
#   -DZEFRO_FUZZ=ON      the same with clang, plus libFuzzer coverage on every target and the fuzz
#                        programs of tests/fuzz (scripts/fuzz.sh)
#
# Undefined behaviour stops the program at once, so a test cannot pass over it.
option(ZEFRO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(ZEFRO_FUZZ "Build the libFuzzer programs of tests/fuzz (needs clang)" OFF)

set(ZEFRO_SANITIZER_COMPILE_FLAGS
  -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
set(ZEFRO_SANITIZER_LINK_FLAGS -fsanitize=address,undefined)

if(ZEFRO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ZEFRO_FUZZ needs clang, for instance -DCMAKE_CXX_COMPILER=clang++-14")
  endif()
  # Every target gets the coverage libFuzzer steers by; only the fuzz programs get its main().
  add_compile_options(-fsanitize=fuzzer-no-link ${ZEFRO_SANITIZER_COMPILE_FLAGS})
  add_link_options(${ZEFRO_SANITIZER_LINK_FLAGS})
elseif(ZEFRO_SANITIZE)
  add_compile_options(${ZEFRO_SANITIZER_COMPILE_FLAGS})
  add_link_options(${ZEFRO_SANITIZER_LINK_FLAGS})
endif()
