// The initial Blowfish tables: the 18 subkeys and the four 256-word
// substitution boxes that every key schedule starts from. They are the
// hexadecimal digits of the fractional part of pi, in order, P first
// (P[0] = 0x243F6A88 .. P[17] = 0x8979FB1B, S0[0] = 0xD1310BA6 ..
// S3[255] = 0x3AC372E6). BlowFishTables.cpp is generated from a computation
// of pi by MakeBlowFishTables.py beside it.
#pragma once

#include <cstdint>

namespace quillet {

extern const std::uint32_t kBlowFishInitialP[18];
extern const std::uint32_t kBlowFishInitialS[4][256];

}  // namespace quillet
