# cmake -DINPUT=file -DOUTPUT=header -P EmbedText.cmake
# Writes a header defining kSuiteSchemaText, the text of INPUT as a raw string literal.
file(READ ${INPUT} text)
string(FIND "${text}" ")suite_schema\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} contains the raw-string delimiter )suite_schema\"")
endif()
file(WRITE ${OUTPUT}
  "// Generated from demo/schema.sql at build time. Do not edit.\n#pragma once\n"
  "inline constexpr const char kSuiteSchemaText[] = R\"suite_schema(${text})suite_schema\";\n")
