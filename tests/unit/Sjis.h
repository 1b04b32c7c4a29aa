#pragma once

// Code page 932 bytes the tests need, spelled out so a hex escape never runs into the
// text that follows it.
namespace mirelka::test::sjis {

inline constexpr const char kHyo[] = "\x95\x5C";        // 表: trail byte is '\'
inline constexpr const char kSo[] = "\x83\x5C";         // ソ: trail byte is '\'
inline constexpr const char kPo[] = "\x83\x7C";         // ポ: trail byte is '|'
inline constexpr const char kA[] = "\x88\x9F";          // 亜
inline constexpr const char kHalfA[] = "\xB1";          // ｱ (half-width, single byte)
inline constexpr const char kWideSpace[] = "\x81\x40";  // full-width space
inline constexpr const char kLead[] = "\x81";           // a lead byte on its own

}  // namespace mirelka::test::sjis
