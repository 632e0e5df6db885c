#pragma once

#include <string>

// Writes a number given in decimal digits (1 to 4 of them) in Roman numerals.
std::string Convertit_Romain(const std::string &decimal);
