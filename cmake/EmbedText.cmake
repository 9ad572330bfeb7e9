# cmake -DINPUT=file -DOUTPUT=header -DNAME=kName -P EmbedText.cmake
# Writes a header defining NAME, the text of INPUT as a raw string literal, so a program
# carries the file and needs no source tree when it runs.
file(READ ${INPUT} text)
string(FIND "${text}" ")embedded\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} contains the raw-string delimiter )embedded\"")
endif()
get_filename_component(name ${INPUT} NAME)
file(WRITE ${OUTPUT}
  "// Generated from ${name} at build time. Do not edit.\n#pragma once\n"
  "inline constexpr const char ${NAME}[] = R\"embedded(${text})embedded\";\n")
