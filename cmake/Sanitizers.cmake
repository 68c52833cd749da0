# Sanitizer and fuzzing instrumentation for every target of the build, set
# before the targets are made. Any finding ends the program with an error.
if(TARVEK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
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
