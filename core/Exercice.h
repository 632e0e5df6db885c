#pragma once

#include <cstdint>
#include <string>

enum Sens_Exercice { Sens_Romain, Sens_Arabe };
enum Resultat_Reponse { Reponse_Vide, Reponse_Juste, Reponse_Fausse };

struct Question_Preparee {
    std::string Texte_Numero, Texte_Niveau, Texte_Montre;
    bool Avec_Score;
};

struct Verdict {
    Resultat_Reponse Resultat;
    int Chiffre_Son;
    std::string Texte_Verdict, Texte_Correction, Nom_Son;
};

struct Score {
    std::string Texte_Score;
    int Pourcentage;
};

int Hasard(int n);
void Resseme_Hasard();
int Niveau_Courant();
int Tire_Nombre(Sens_Exercice sens);
void Decale_Anciens(Sens_Exercice sens);
Question_Preparee Prepare_Question(Sens_Exercice sens);
Verdict Juge_Reponse(Sens_Exercice sens, const std::string &reponse);
Score Calcule_Score(Sens_Exercice sens);

// Replaces the generator behind Hasard and Resseme_Hasard, so that tests can choose the draws.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual int next(int n) = 0;
    virtual void reseed() = 0;
};

// nullptr restores the real generator.
void setRandomSourceForTests(RandomSource *source);
// Puts the real generator in a known state.
void seedRandomForTests(std::uint64_t seed);
