// Test text in code page 932 made by glibc's iconv "CP932": an independent
// converter, so tests never build their expectations with the code page
// module they may be checking.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <string_view>

namespace quillet::test {

inline std::string IconvToCp932(std::string_view utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ADD_FAILURE() << "no CP932 converter";
    return {};
  }
  std::string out(utf8.size() * 2 + 8, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1)) ADD_FAILURE() << "iconv cannot encode " << utf8;
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace quillet::test
