#include "constnum.h"

#include <array>
#include <cstddef>

namespace {

constexpr std::size_t Largeur = 4; // decimal positions: thousands, hundreds, tens, units

// The numeral being built. A digit adds at most four letters, so it fits in a fixed buffer
// that lives for the whole run: a conversion allocates nothing but its result.
struct Texte_Romain {
    std::array<char, 4 * Largeur> Lettres;
    std::size_t Longueur;
};
Texte_Romain Texte_Accumule{};

void Ajoute(char lettre) {
    Texte_Accumule.Lettres[Texte_Accumule.Longueur++] = lettre;
}

// Appends the pattern of one decimal digit, made of the three letters of its position.
void Ajoute_Chiffre(char chiffre, char dix, char cinq, char un) {
    switch (chiffre) {
    case '3':
        Ajoute(un);
        [[fallthrough]];
    case '2':
        Ajoute(un);
        [[fallthrough]];
    case '1':
        Ajoute(un);
        break;
    case '4':
        Ajoute(un);
        Ajoute(cinq);
        break;
    case '5':
    case '6':
    case '7':
    case '8':
        Ajoute(cinq);
        // then one letter for each unit above five
        for (char reste = '5'; reste < chiffre; ++reste) {
            Ajoute(un);
        }
        break;
    case '9':
        Ajoute(un);
        Ajoute(dix);
        break;
    default: // '0' and anything that is not a digit
        break;
    }
}

} // namespace

std::string Convertit_Romain(const std::string &decimal) {
    Texte_Accumule.Longueur = 0;

    // Padding a longer text with zeros could never bring it to four characters.
    if (decimal.size() > Largeur) {
        return {};
    }
    std::array<char, Largeur> chiffres;
    chiffres.fill('0');
    decimal.copy(chiffres.data() + (Largeur - decimal.size()), decimal.size());

    // The thousands have no five or ten letter; a space stands in for them.
    Ajoute_Chiffre(chiffres[0], ' ', ' ', 'M');
    Ajoute_Chiffre(chiffres[1], 'M', 'D', 'C');
    Ajoute_Chiffre(chiffres[2], 'C', 'L', 'X');
    Ajoute_Chiffre(chiffres[3], 'X', 'V', 'I');
    return std::string(Texte_Accumule.Lettres.data(), Texte_Accumule.Longueur);
}
