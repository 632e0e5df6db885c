#include "Globals.h"

T_Etat_Global Etat_Global;
