#include "constnum.h"

#include <array>
#include <cstddef>

namespace {

// The numeral being built. It lives for the whole run so that a conversion reuses its
// storage instead of allocating.
std::string Texte_Accumule;

// Appends the pattern of one decimal digit, made of the three letters of its position.
void Ajoute_Chiffre(char chiffre, char dix, char cinq, char un) {
    switch (chiffre) {
    case '1':
        Texte_Accumule += un;
        break;
    case '2':
        Texte_Accumule.append(2, un);
        break;
    case '3':
        Texte_Accumule.append(3, un);
        break;
    case '4':
        Texte_Accumule += un;
        Texte_Accumule += cinq;
        break;
    case '5':
        Texte_Accumule += cinq;
        break;
    case '6':
        Texte_Accumule += cinq;
        Texte_Accumule += un;
        break;
    case '7':
        Texte_Accumule += cinq;
        Texte_Accumule.append(2, un);
        break;
    case '8':
        Texte_Accumule += cinq;
        Texte_Accumule.append(3, un);
        break;
    case '9':
        Texte_Accumule += un;
        Texte_Accumule += dix;
        break;
    default: // '0' and anything that is not a digit
        break;
    }
}

} // namespace

std::string Convertit_Romain(const std::string &decimal) {
    Texte_Accumule.clear();

    constexpr std::size_t Largeur = 4;
    // Padding a longer text with zeros could never bring it to four characters.
    if (decimal.size() > Largeur) {
        return Texte_Accumule;
    }
    std::array<char, Largeur> chiffres;
    chiffres.fill('0');
    decimal.copy(chiffres.data() + (Largeur - decimal.size()), decimal.size());

    // The thousands have no five or ten letter; a space stands in for them.
    Ajoute_Chiffre(chiffres[0], ' ', ' ', 'M');
    Ajoute_Chiffre(chiffres[1], 'M', 'D', 'C');
    Ajoute_Chiffre(chiffres[2], 'C', 'L', 'X');
    Ajoute_Chiffre(chiffres[3], 'X', 'V', 'I');
    return Texte_Accumule;
}
