#pragma once

#include <string>

// "1994" gives "MCMXCIV"; 0 or a text over four characters gives "", a non-digit adds nothing.
// Only numbers up to 3999 have a proper numeral.
std::string Convertit_Romain(const std::string &decimal);
