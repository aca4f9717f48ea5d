// Locale-independent number texts of the shell: '.' is the decimal point whatever the
// user's settings.
#pragma once

#include <string>

namespace NumberText {

// `value` rounded to `precision` significant digits, without trailing zeros or an
// unneeded point: fixed notation when 1e-5 <= |value| and at most `precision` digits
// stand before the point, else scientific with E and an unsigned or '-' exponent
// ("1.5E-6", "1E20"). Zero of either sign gives "0"; NaN and infinities "NAN", "INF",
// "-INF".
std::string General(long double value, int precision);

}  // namespace NumberText
