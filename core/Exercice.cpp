#include "Exercice.h"

#include "Globals.h"
#include "constnum.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <utility>

namespace {

// ---- Chance ----

RandomSource *installedSource = nullptr;

RandomSource &source() {
    static SeededRandom programSource;
    return installedSource != nullptr ? *installedSource : programSource;
}

// ---- The two directions: one set of rules, two tables ----

// Level I of the Roman-writing drill asks the seven single letters first, then the numbers
// that combine them; the draw is an index into this table.
constexpr std::array<int, 24> Table_Niveau_I_Rom = {
    1, 5, 10, 50, 100, 500, 1000, 2, 3, 4, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

struct DirectionRules {
    std::int32_t T_Etat_Global::*Question;
    std::int32_t T_Etat_Global::*Justes;
    std::string T_Etat_Global::*Attendu;
    std::array<std::uint8_t, 3> T_Etat_Global::*Anciens;
    std::uint8_t T_Etat_Global::*Tirage;
    std::array<int, 3> drawRangePerLevel;     // how many values Hasard draws from, levels I to III
    const std::array<int, 24> *levelOneTable; // nullptr: the level-I draw is the number itself
    bool showsRoman;                          // the pupil is shown the Roman numeral
};

constexpr DirectionRules romanRules{
    .Question = &T_Etat_Global::Question_Rom,
    .Justes = &T_Etat_Global::Justes_Rom,
    .Attendu = &T_Etat_Global::Attendu_Rom,
    .Anciens = &T_Etat_Global::Anciens_Rom,
    .Tirage = &T_Etat_Global::Tirage_Rom,
    .drawRangePerLevel = {static_cast<int>(Table_Niveau_I_Rom.size()), 100, 3999},
    .levelOneTable = &Table_Niveau_I_Rom,
    .showsRoman = false,
};

constexpr DirectionRules arabicRules{
    .Question = &T_Etat_Global::Question_Arab,
    .Justes = &T_Etat_Global::Justes_Arab,
    .Attendu = &T_Etat_Global::Attendu_Arab,
    .Anciens = &T_Etat_Global::Anciens_Arab,
    .Tirage = &T_Etat_Global::Tirage_Arab,
    .drawRangePerLevel = {39, 499, 3999},
    .levelOneTable = nullptr,
    .showsRoman = true,
};

const DirectionRules &rulesFor(Sens_Exercice sens) {
    return sens == Sens_Romain ? romanRules : arabicRules;
}

bool alreadyDrawn(const std::array<std::uint8_t, 3> &anciens, int tirage) {
    for (std::uint8_t ancien : anciens) {
        if (ancien == tirage) {
            return true;
        }
    }
    return false;
}

// The counters have no upper bound by design, but they must not wrap round: at the largest
// value they stay put.
bool increment(std::int32_t &compteur) {
    if (compteur == std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    ++compteur;
    return true;
}

// Rounds to the nearest integer, a value exactly halfway going to the even neighbour,
// whatever the floating-point rounding mode.
long double roundHalfToEven(long double valeur) {
    const long double plancher = std::floor(valeur);
    const long double reste = valeur - plancher;
    if (reste > 0.5L) {
        return plancher + 1;
    }
    if (reste < 0.5L) {
        return plancher;
    }
    return std::fmod(plancher, 2.0L) == 0 ? plancher : plancher + 1;
}

} // namespace

SeededRandom::SeededRandom(std::function<std::uint64_t()> seeds) : seeds_(std::move(seeds)) {}

void SeededRandom::seed(std::uint64_t value) {
    generateur_.seed(value);
}

int SeededRandom::next(int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(generateur_);
}

void SeededRandom::reseed() {
    if (seeds_) {
        const std::uint64_t value = seeds_();
        std::seed_seq sequence{static_cast<std::uint32_t>(value),
                               static_cast<std::uint32_t>(value >> 32)};
        generateur_.seed(sequence);
        return;
    }
    // The clock ticks in nanoseconds here; the reseed count keeps two reseeds apart even
    // should they read the same tick.
    const auto tick = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    ++reseeds_;
    std::seed_seq sequence{static_cast<std::uint32_t>(tick), static_cast<std::uint32_t>(tick >> 32),
                           static_cast<std::uint32_t>(reseeds_)};
    generateur_.seed(sequence);
}

void setRandomSource(RandomSource *source) {
    installedSource = source;
}

int Hasard(int n) {
    if (n < 1) {
        return 0;
    }
    return source().next(n);
}

void Resseme_Hasard() {
    source().reseed();
}

int Niveau_Courant() {
    if (Etat_Global.Niveau_I) {
        return 1;
    }
    if (Etat_Global.Niveau_II) {
        return 2;
    }
    return 3;
}

int Tire_Nombre(Sens_Exercice sens) {
    const DirectionRules &regles = rulesFor(sens);
    const int niveau = Niveau_Courant();
    const int tirages = regles.drawRangePerLevel[static_cast<std::size_t>(niveau - 1)];
    if (niveau != 1) {
        return Hasard(tirages) + 1;
    }
    // At most three of the candidates are excluded, so the loop ends.
    const auto &anciens = Etat_Global.*regles.Anciens;
    int tirage;
    do {
        tirage = Hasard(tirages) + 1;
    } while (alreadyDrawn(anciens, tirage));
    Etat_Global.*regles.Tirage = static_cast<std::uint8_t>(tirage);
    return regles.levelOneTable != nullptr
               ? (*regles.levelOneTable)[static_cast<std::size_t>(tirage - 1)]
               : tirage;
}

void Decale_Anciens(Sens_Exercice sens) {
    const DirectionRules &regles = rulesFor(sens);
    auto &anciens = Etat_Global.*regles.Anciens;
    anciens[2] = anciens[1];
    anciens[1] = anciens[0];
    anciens[0] = Etat_Global.*regles.Tirage;
}

Question_Preparee Prepare_Question(Sens_Exercice sens) {
    const DirectionRules &regles = rulesFor(sens);
    const std::int32_t question = Etat_Global.*regles.Question;

    Question_Preparee preparee;
    preparee.Texte_Numero = "Exercice n° : " + std::to_string(question);
    static const std::array<const char *, 3> Noms_Niveaux = {"Niveau I", "Niveau II", "Niveau III"};
    preparee.Texte_Niveau = Noms_Niveaux[static_cast<std::size_t>(Niveau_Courant() - 1)];

    const std::string decimal = std::to_string(Tire_Nombre(sens));
    std::string romain = Convertit_Romain(decimal);
    if (regles.showsRoman) {
        preparee.Texte_Montre = std::move(romain);
        Etat_Global.*regles.Attendu = decimal;
    } else {
        preparee.Texte_Montre = decimal;
        Etat_Global.*regles.Attendu = std::move(romain);
    }
    preparee.Avec_Score = question > 1;
    return preparee;
}

Verdict Juge_Reponse(Sens_Exercice sens, const std::string &reponse) {
    const DirectionRules &regles = rulesFor(sens);
    const bool compte = increment(Etat_Global.*regles.Question);

    Verdict verdict{};
    verdict.Chiffre_Son = Hasard(8);
    if (reponse.empty()) {
        verdict.Resultat = Reponse_Vide;
        return verdict;
    }
    const std::string chiffre = std::to_string(verdict.Chiffre_Son);
    const std::string &attendu = Etat_Global.*regles.Attendu;
    if (reponse == attendu) {
        // A right answer is counted only with its answer, so that it never outnumbers them.
        if (compte) {
            ++(Etat_Global.*regles.Justes);
        }
        verdict.Resultat = Reponse_Juste;
        verdict.Texte_Verdict = "EXACT";
        verdict.Nom_Son = "TAVORJ" + chiffre + ".WAV";
    } else {
        verdict.Resultat = Reponse_Fausse;
        verdict.Texte_Verdict = "Faux";
        verdict.Texte_Correction = "C'est : " + attendu;
        verdict.Nom_Son = "TAVORF" + chiffre + ".WAV";
    }
    return verdict;
}

Score Calcule_Score(Sens_Exercice sens) {
    const DirectionRules &regles = rulesFor(sens);
    const std::int32_t justes = Etat_Global.*regles.Justes;
    // Widened, so that the largest question number cannot overflow here.
    const std::int64_t donnees = std::int64_t{Etat_Global.*regles.Question} - 1;

    Score score;
    score.Texte_Score = std::to_string(justes) + "/" + std::to_string(donnees);
    if (donnees < 1) {
        // Nothing answered yet: there is no ratio to show.
        score.Pourcentage = 0;
        return score;
    }
    // The quotient first, then the hundredfold, in extended precision.
    const long double quotient =
        static_cast<long double>(justes) / static_cast<long double>(donnees);
    const long double pourcentage = roundHalfToEven(quotient * 100.0L);
    score.Pourcentage = static_cast<int>(std::clamp(pourcentage, 0.0L, 100.0L));
    return score;
}
