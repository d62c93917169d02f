# Address and undefined-behaviour sanitizers for the whole build (the asan preset).
option(PELKANO_SANITIZE "Build with address and undefined sanitizers" OFF)
if(PELKANO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz preset: every library carries the fuzzer's coverage, the targets link its runtime.
if(PELKANO_BUILD_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
