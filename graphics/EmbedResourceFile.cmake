# Run as a script (cmake -P) at build time: writes OUTPUT, a C++ source that
# defines the bytes of INPUT as the array SYMBOL and its length as
# SYMBOL_size. The bytes go into a string literal (one \xNN escape a byte, 32
# bytes a line), which compilers read far faster than a list of numbers.
foreach(var INPUT OUTPUT SYMBOL)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "EmbedResourceFile.cmake needs -D${var}=...")
  endif()
endforeach()

file(SIZE "${INPUT}" size)
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "(................................................................)" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" hex "${hex}")
string(REGEX REPLACE "\n$" "" hex "${hex}")
string(REPLACE "\n" "\"\n    \"" hex "${hex}")

file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT} at build time; do not edit.\n"
  "#include <cstddef>\n\n"
  "extern const unsigned char ${SYMBOL}[];\n"
  "extern const std::size_t ${SYMBOL}_size;\n"
  "// The literal's terminating zero is not part of the file.\n"
  "const unsigned char ${SYMBOL}[${size} + 1] =\n    \"${hex}\";\n"
  "const std::size_t ${SYMBOL}_size = ${size};\n")
