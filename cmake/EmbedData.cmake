# Writes a C++ source that carries the given data files as byte arrays, with data_file() to look
# them up by their path relative to the data folder. Run as a script:
#   cmake -DDATA_DIR=... -DOUTPUT=... -DFILES="a.txt;samples/b.txt" -P EmbedData.cmake
set(body "")
set(table "")
set(index 0)
foreach(name ${FILES})
  file(READ "${DATA_DIR}/${name}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(APPEND body "const char kFile${index}[] = {${bytes} 0};\n")
  string(APPEND table "    {\"${name}\", std::string_view(kFile${index}, ${size})},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from data/ by cmake/EmbedData.cmake; do not edit.
#include <string_view>
#include <utility>

#include \"core/text/data_files.h\"

namespace tessaly {
namespace {
${body}
struct Entry {
  std::string_view name, bytes;
};
const Entry kFiles[] = {
${table}};
}  // namespace

std::string_view data_file(std::string_view path) {
  for (const Entry& e : kFiles)
    if (e.name == path) return e.bytes;
  return {};
}

}  // namespace tessaly
")
# Only a changed text touches the output, so an unchanged data folder rebuilds nothing.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
