# One interface target carries the build policy for our own code: warnings, and no silent
# conversions between byte strings and QString (GBK <-> QString crossings stay explicit).
add_library(tessaly_policy INTERFACE)
target_compile_options(tessaly_policy INTERFACE -Wall -Wextra -Wpedantic)
# Shadowed locals: GCC spells the check -Wshadow=local; clang (the fuzz build) has no such option.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(tessaly_policy INTERFACE -Wshadow=local)
else()
  target_compile_options(tessaly_policy INTERFACE -Wshadow-uncaptured-local)
endif()
if(TESSALY_WERROR)
  target_compile_options(tessaly_policy INTERFACE -Werror)
endif()
target_compile_definitions(tessaly_policy INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY QT_NO_KEYWORDS)
if(TESSALY_SANITIZE)
  target_compile_options(tessaly_policy INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
  target_link_options(tessaly_policy INTERFACE -fsanitize=address,undefined)
endif()
if(TESSALY_TSAN)
  target_compile_options(tessaly_policy INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(tessaly_policy INTERFACE -fsanitize=thread)
endif()
if(TESSALY_FUZZ)
  # Our code carries libFuzzer's coverage hooks; the fuzz targets add the fuzzer's main.
  target_compile_options(tessaly_policy INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                  -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(tessaly_policy INTERFACE -fsanitize=address,undefined)
endif()
