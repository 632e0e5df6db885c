#include "constnum.h"

#include <array>
#include <cstddef>

namespace {

constexpr std::size_t Positions = 4; // decimal positions: thousands, hundreds, tens, units

// The numeral being built. A digit adds at most four letters, so it fits in a fixed buffer
// that lives for the whole run: a conversion allocates nothing but its result.
struct RomanText {
    std::array<char, 4 * Positions> letters;
    std::size_t length;
};
RomanText accumulated{};

void appendLetter(char lettre) {
    accumulated.letters[accumulated.length++] = lettre;
}

// Appends the pattern of one decimal digit, made of the three letters of its position.
void Ajoute_Chiffre(char chiffre, char dix, char cinq, char un) {
    switch (chiffre) {
    case '3':
        appendLetter(un);
        [[fallthrough]];
    case '2':
        appendLetter(un);
        [[fallthrough]];
    case '1':
        appendLetter(un);
        break;
    case '4':
        appendLetter(un);
        appendLetter(cinq);
        break;
    case '5':
    case '6':
    case '7':
    case '8':
        appendLetter(cinq);
        // then one letter for each unit above five
        for (char reste = '5'; reste < chiffre; ++reste) {
            appendLetter(un);
        }
        break;
    case '9':
        appendLetter(un);
        appendLetter(dix);
        break;
    default: // '0' and anything that is not a digit
        break;
    }
}

} // namespace

std::string Convertit_Romain(const std::string &decimal) {
    accumulated.length = 0;

    // Padding a longer text with zeros could never bring it to four characters.
    if (decimal.size() > Positions) {
        return {};
    }
    std::array<char, Positions> chiffres;
    chiffres.fill('0');
    decimal.copy(chiffres.data() + (Positions - decimal.size()), decimal.size());

    // The thousands have no five or ten letter; a space stands in for them.
    Ajoute_Chiffre(chiffres[0], ' ', ' ', 'M');
    Ajoute_Chiffre(chiffres[1], 'M', 'D', 'C');
    Ajoute_Chiffre(chiffres[2], 'C', 'L', 'X');
    Ajoute_Chiffre(chiffres[3], 'X', 'V', 'I');
    return std::string(accumulated.letters.data(), accumulated.length);
}
