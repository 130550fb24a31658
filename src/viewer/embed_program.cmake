# Writes the assembled viewer bank (INPUT, 16,384 bytes) as a C++ array
# (OUTPUT) for the core.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
if(NOT digits EQUAL 32768)
  message(FATAL_ERROR "${INPUT} holds ${digits} hexadecimal digits; the viewer's bank is 16,384 bytes")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Sixteen bytes a line.
string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Assembled from viewer/viewer.s at build time; do not edit.\n"
  "#include \"shell/preview_rom.h\"\n\n"
  "namespace tarvo {\n\n"
  "const std::array<std::uint8_t, rom::kPrgBankBytes> kViewerProgram{{\n  ${bytes}\n}};\n\n"
  "}  // namespace tarvo\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
