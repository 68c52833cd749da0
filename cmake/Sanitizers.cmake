# Sanitizer and fuzzing instrumentation for every target of the build, set
# before the targets are made. Any finding ends the program with an error.
# The sanitized builds also check the contracts that the code states for its
# hot paths (TARVEK_CONTRACT_CHECKS), which the release builds take on trust.
if(TARVEK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_compile_definitions(TARVEK_CONTRACT_CHECKS)
  add_link_options(-fsanitize=address,undefined)
endif()

# Coverage feedback for libFuzzer in the code under test; the fuzz targets
# themselves link the fuzzer's main (fuzz/CMakeLists.txt).
if(TARVEK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TARVEK_FUZZ needs clang (libFuzzer): use the fuzz preset")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
