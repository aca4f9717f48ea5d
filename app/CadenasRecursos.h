// The program's own user-visible texts.
#pragma once

namespace CadenasRecursos {

inline constexpr const char* NumberMissing = "A number is missing or miswritten";
inline constexpr const char* NumberTooLarge = "A number is too large";
inline constexpr const char* DataMissing = "Some data missing";
inline constexpr const char* TRangeWrong = "The minimum of 't' must be less than its maximum";
inline constexpr const char* PRangeWrong = "The minimum of 'p' must be less than its maximum";
inline constexpr const char* QRangeWrong = "The minimum of 'q' must be less than its maximum";
inline constexpr const char* DrawItCaption = "Draw It";
inline constexpr const char* StereoCaption = "Stereo";
inline constexpr const char* MonoCaption = "Mono";

}  // namespace CadenasRecursos
