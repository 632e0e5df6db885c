#include "constnum.h"

std::string Convertit_Romain(const std::string &) { return {}; }
