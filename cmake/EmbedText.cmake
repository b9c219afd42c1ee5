# Turns a text file into a C++ source defining `extern const char NAME[]`.
# Run with -DINPUT=… -DOUTPUT=… -DSYMBOL=…
file(READ "${INPUT}" content HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "char(0x\\1)," bytes "${content}")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}; do not edit.\n"
  "namespace kpx::resources {\n"
  "extern const char ${SYMBOL}[];\n"
  "const char ${SYMBOL}[] = {${bytes} 0x00};\n"
  "}\n")
