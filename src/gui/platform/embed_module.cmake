# Writes the module IN, without its debugging information, into OUT as the bytes soundModule() gives.
set(from "${IN}")
if(STRIP)
  execute_process(COMMAND "${STRIP}" --strip-debug -o "${OUT}.so" "${IN}" RESULT_VARIABLE stripped)
  if(stripped EQUAL 0)
    set(from "${OUT}.so")
  endif()
endif()
file(READ "${from}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUT}.tmp" "// Generated from ${IN}.
#include \"gui/platform/sound_module_bytes.h\"

namespace zel::gui {
namespace {
const unsigned char kModule[${size}] = {${bytes}};
} // namespace

std::span<const unsigned char> soundModule() {
    return kModule;
}

} // namespace zel::gui
")
file(RENAME "${OUT}.tmp" "${OUT}")
