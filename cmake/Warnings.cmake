# Every target of the project links pelkano_warnings: one place for the warning set.
add_library(pelkano_warnings INTERFACE)
target_compile_options(pelkano_warnings INTERFACE -Wall -Wextra -Wpedantic)
option(PELKANO_WERROR "Treat warnings as errors" OFF)
if(PELKANO_WERROR)
  target_compile_options(pelkano_warnings INTERFACE -Werror)
endif()
