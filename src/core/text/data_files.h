#pragma once
// Texts carried inside the program (the data folder of the sources: place names and sample
// lists), as UTF-8 bytes exactly as the files hold them.
#include <string_view>

namespace tessaly {

// The file at `path` relative to the data folder ("place_names.txt", "samples/dedupe.txt");
// empty when the program carries no such file.
std::string_view data_file(std::string_view path);

}  // namespace tessaly
