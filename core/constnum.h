#pragma once

#include <string>

// Writes a whole number, given as its decimal text of one to four digits (leading zeros
// allowed), in Roman numerals: "1994" gives "MCMXCIV". The value 0 gives the empty text, a
// character other than a digit adds nothing for its position, and a text of more than four
// characters gives the empty text. Only numbers up to 3999 have a proper numeral.
std::string Convertit_Romain(const std::string &decimal);
