# The sheet's two faces as files, and a Python 3 that can read them (Debian's python3 with
# python3-fonttools): the SVG surface takes its text metrics from them, and the web page embeds
# them cut down to the characters it draws.
find_file(PELKANO_MINCHO_TTF ipam.ttf PATHS /usr/share/fonts/opentype/ipafont-mincho NO_CMAKE_FIND_ROOT_PATH)
find_file(PELKANO_GOTHIC_TTF ipag.ttf PATHS /usr/share/fonts/opentype/ipafont-gothic NO_CMAKE_FIND_ROOT_PATH)
if(NOT PELKANO_MINCHO_TTF OR NOT PELKANO_GOTHIC_TTF)
  message(FATAL_ERROR "The IPA faces are missing: install fonts-ipafont-mincho and fonts-ipafont-gothic "
                      "(bash scripts/install-deps.sh)")
endif()

# Debian's own python3 first: another one on PATH (pyenv, a virtualenv) lacks Debian's modules.
find_program(PELKANO_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT PELKANO_PYTHON)
  find_program(PELKANO_PYTHON NAMES python3 NO_CMAKE_FIND_ROOT_PATH)
endif()
execute_process(COMMAND ${PELKANO_PYTHON} -c "import fontTools" RESULT_VARIABLE _pelkano_fonttools
                OUTPUT_QUIET ERROR_QUIET)
if(NOT _pelkano_fonttools EQUAL 0)
  message(FATAL_ERROR "${PELKANO_PYTHON} cannot import fontTools: install python3-fonttools "
                      "(bash scripts/install-deps.sh)")
endif()
