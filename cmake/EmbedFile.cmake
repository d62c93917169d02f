# cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=kName -DHEADER=Name.h -DNAMESPACE=ns -P EmbedFile.cmake
# Writes a C++ source that holds the bytes of INPUT as `const unsigned char NAME[]` and their
# count as `NAME##Size`, declared in HEADER: a binary built into the program, on every platform.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REPEAT "[0-9a-f]" 64 row)  # 32 bytes a line
string(REGEX REPLACE "(${row})" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}.tmp" "// Written by cmake/EmbedFile.cmake from ${INPUT}; do not edit.\n"
  "#include \"${HEADER}\"\n\nnamespace ${NAMESPACE} {\n\n"
  "alignas(8) const unsigned char ${NAME}[] = {\n${bytes}};\n"
  "const std::size_t ${NAME}Size = ${size};\n\n}\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
