# Warnings, the x86-64 baseline and the sanitizer builds shared by every target.
add_compile_options(-Wall -Wextra)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
  # Baseline SSE4.2; AVX2+FMA paths live in their own files and are chosen at run time.
  add_compile_options(-msse4.2)
  set(VELMIO_X86 ON)
endif()

if(VELMIO_SANITIZE)
  add_compile_options(-fsanitize=${VELMIO_SANITIZE} -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=${VELMIO_SANITIZE})
  if(VELMIO_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()

# Coverage for the fuzzer in every library the fuzz targets link.
if(VELMIO_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
