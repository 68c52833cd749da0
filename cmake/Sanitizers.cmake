# Sanitizer and fuzzing instrumentation for every target of the build, set
# before the targets are made. Any finding ends the program with an error.
if(TARVEK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
