# The Windows programs are hardened as Windows' own checks of a program
# expect: a stack protector in every function with a local array or a local
# whose address is taken, the fortified string and stdio functions of
# mingw-w64 where it can size the buffer (optimised builds only, and not in
# the extractions, see below), and a program that says it is aware of
# terminal services. The guard comes from gcc's libssp, linked statically
# like the rest of the runtime. Every library of the product builds on
# tarvek_platform, so its usage requirements reach them all, both programs
# and what tests them; the stand-in library does not build on it and stays
# as it is.
# Address space layout randomisation, no execution of data and the
# relocations it needs are binutils' defaults. tools/package checks all of it.
if(NOT WIN32)
  return()
endif()

target_compile_options(tarvek_platform PUBLIC -fstack-protector-strong)
target_compile_definitions(tarvek_platform PUBLIC _FORTIFY_SOURCE=2)
target_link_options(tarvek_platform INTERFACE -fstack-protector-strong LINKER:--tsaware)
# Not in the extractions: mingw-w64's fortified memcpy and memset are inline
# wrappers that GCC counts against the line kit's inlining, and with them it
# called each text placement out of line, which made the Windows build's own
# part of an extraction half as slow again. Every copy there has a size known
# at compile time, which the wrappers check no better than the types do.
target_compile_options(tarvek_extract PRIVATE -U_FORTIFY_SOURCE)
