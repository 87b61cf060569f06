// Text conversion by glibc's iconv(3): an independent converter, so tests
// never build their expectations with the code page module they may be
// checking. Everything converts in-process, in one call per text; the
// descriptors stay open for the run, since the code page tests convert every
// code of the code page one by one.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace quillet::test {

// `in` converted from the code `from` to the code `to`, or nothing when iconv
// refuses any of it.
inline std::optional<std::string> Iconv(const char* to, const char* from, std::string_view in) {
  // Closed at exit, so that the leak checker of the sanitizer build sees
  // nothing left over.
  struct TOpen : std::map<std::pair<std::string, std::string>, iconv_t> {
    ~TOpen() {
      for (auto& entry : *this) {
        if (entry.second != reinterpret_cast<iconv_t>(-1)) iconv_close(entry.second);
      }
    }
  };
  static TOpen open;
  auto it = open.find({to, from});
  if (it == open.end()) it = open.emplace(std::pair<std::string, std::string>{to, from}, iconv_open(to, from)).first;
  const iconv_t cd = it->second;
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  std::string out(in.size() * 4 + 16, '\0');
  char* inPtr = const_cast<char*>(in.data());
  char* outPtr = out.data();
  std::size_t inLeft = in.size();
  std::size_t outLeft = out.size();
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

// `utf8` in code page 932 (glibc's "CP932"); a test fails on text the code
// page cannot hold.
inline std::string IconvToCp932(std::string_view utf8) {
  const auto bytes = Iconv("CP932", "UTF-8", utf8);
  if (!bytes) ADD_FAILURE() << "iconv cannot encode " << utf8;
  return bytes.value_or("");
}

}  // namespace quillet::test
