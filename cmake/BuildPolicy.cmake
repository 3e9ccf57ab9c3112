# One interface target carries the build policy for our own code: warnings, and no silent
# conversions between byte strings and QString (GBK <-> QString crossings stay explicit).
add_library(tessaly_policy INTERFACE)
target_compile_options(tessaly_policy INTERFACE -Wall -Wextra -Wpedantic -Wshadow=local)
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
