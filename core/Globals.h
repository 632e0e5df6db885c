#pragma once

#include "TavorimVersion.h"

#include <array>
#include <cstdint>
#include <string>

// The state shared by the windows for the whole session.
struct T_Etat_Global {
    bool Son_Actif = false;
    std::int32_t Question_Rom = 1;
    std::int32_t Question_Arab = 1;
    std::int32_t Justes_Arab = 0;
    std::int32_t Justes_Rom = 0;
    bool Couleurs_Riches = true;
    std::string Version_Texte = TavorimVersion;
    std::string Duree_Texte;
    bool Niveau_I = false, Niveau_II = false, Niveau_III = false;
    std::string Attendu_Rom;
    std::array<std::uint8_t, 3> Anciens_Rom{};
    std::uint8_t Tirage_Rom = 0;
    std::string Attendu_Arab;
    std::array<std::uint8_t, 3> Anciens_Arab{};
    std::uint8_t Tirage_Arab = 0;
};

extern T_Etat_Global Etat_Global;
