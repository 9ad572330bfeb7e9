# cmake -DINPUT=file -DOUTPUT=header -DNAME=kName -P EmbedAsset.cmake
# Writes a header defining NAME, the text of INPUT as a raw string literal.
file(READ ${INPUT} text)
string(FIND "${text}" ")asset\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} contains the raw-string delimiter )asset\"")
endif()
file(WRITE ${OUTPUT}
  "// Generated from ${INPUT} at build time. Do not edit.\n#pragma once\n"
  "inline constexpr const char ${NAME}[] = R\"asset(${text})asset\";\n")
