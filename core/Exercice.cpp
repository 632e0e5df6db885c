#include "Exercice.h"

int Hasard(int) { return 0; }
void Resseme_Hasard() {}
int Niveau_Courant() { return 1; }
int Tire_Nombre(Sens_Exercice) { return 1; }
void Decale_Anciens(Sens_Exercice) {}
Question_Preparee Prepare_Question(Sens_Exercice) { return {}; }
Verdict Juge_Reponse(Sens_Exercice, const std::string &) { return {}; }
Score Calcule_Score(Sens_Exercice) { return {}; }
void setRandomSourceForTests(RandomSource *) {}
void seedRandomForTests(std::uint64_t) {}
