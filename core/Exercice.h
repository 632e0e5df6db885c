#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>

// The rules of the two drills, free of any window. Every rule that takes a direction reads and
// writes that direction's fields of Etat_Global only.

// Sens_Romain: a decimal number is shown and its Roman numeral is typed.
// Sens_Arabe: a Roman numeral is shown and its decimal number is typed.
enum Sens_Exercice { Sens_Romain, Sens_Arabe };

enum Resultat_Reponse { Reponse_Vide, Reponse_Juste, Reponse_Fausse };

struct Question_Preparee {
    std::string Texte_Numero; // "Exercice n° : " and the question number
    std::string Texte_Niveau; // "Niveau I", "Niveau II" or "Niveau III"
    std::string Texte_Montre; // what the pupil converts
    bool Avec_Score;          // an answer was already given: the score can be shown at once
};

struct Verdict {
    Resultat_Reponse Resultat;
    int Chiffre_Son;              // 0 to 7, drawn at every validation
    std::string Texte_Verdict;    // "EXACT" or "Faux"; empty for an empty answer
    std::string Texte_Correction; // "C'est : " and the expected answer, after a wrong answer
    std::string Nom_Son;          // the verdict cue file; empty for an empty answer
};

struct Score {
    std::string Texte_Score; // right answers "/" answers given, such as "3/4"
    int Pourcentage;         // 0 to 100
};

// A whole number from 0 to n - 1, all equally likely; 0 when n < 1.
int Hasard(int n);
// Reseeds the generator behind Hasard from the clock.
void Resseme_Hasard();

// 1, 2 or 3: level I if its flag is set, else II if its flag is set, else III.
int Niveau_Courant();
// The number of a new question at the current level. At level I it also records the draw and
// never repeats one of the last three draws that were left with "Continuer".
int Tire_Nombre(Sens_Exercice sens);
// "Continuer": shifts the last level-I draw into the no-repeat history.
void Decale_Anciens(Sens_Exercice sens);
// Draws the next question and records its expected answer.
Question_Preparee Prepare_Question(Sens_Exercice sens);
// Counts one answer and marks it against the expected answer, exactly, letter case included.
Verdict Juge_Reponse(Sens_Exercice sens, const std::string &reponse);
// The score of the answers given so far; meant for when at least one was given.
Score Calcule_Score(Sens_Exercice sens);

// The source of chance behind Hasard and Resseme_Hasard.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // From 0 to n - 1; n is at least 1.
    virtual int next(int n) = 0;
    // A source that draws no sequence has nothing to reseed.
    virtual void reseed() {}
};

// The program's own source: a 64-bit Mersenne twister, reseeded from the given seeds, read once
// per reseed, or from the clock when none are given.
class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(std::function<std::uint64_t()> seeds = {});
    // Puts the generator in the state this seed gives.
    void seed(std::uint64_t value);
    int next(int n) override;
    void reseed() override;

private:
    std::mt19937_64 generateur_;
    std::function<std::uint64_t()> seeds_;
    std::uint64_t reseeds_ = 0;
};

// Puts another source behind Hasard and Resseme_Hasard; nullptr puts the program's own back.
void setRandomSource(RandomSource *source);
