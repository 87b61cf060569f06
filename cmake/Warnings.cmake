# Compiler settings shared by every target of the project: warnings (errors
# when QUILLET_WERROR is on, as in CI) and the optional sanitizers, which must
# reach both the compile and the link line.
add_library(quillet_warnings INTERFACE)
target_compile_options(quillet_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
if(QUILLET_WERROR)
  target_compile_options(quillet_warnings INTERFACE -Werror)
endif()

add_library(quillet_sanitize INTERFACE)
if(QUILLET_SANITIZE)
  target_compile_options(quillet_sanitize INTERFACE
    -fsanitize=${QUILLET_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(quillet_sanitize INTERFACE -fsanitize=${QUILLET_SANITIZE})
endif()
