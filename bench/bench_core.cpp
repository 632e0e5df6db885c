#include "Exercice.h"
#include "Globals.h"
#include "constnum.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// Every numeral the drills can ask for, the decimal texts made beforehand.
void ConvertWholeRange(benchmark::State &state) {
    std::vector<std::string> decimals;
    for (int value = 1; value <= 3999; ++value) {
        decimals.push_back(std::to_string(value));
    }
    for (auto _ : state) {
        for (const std::string &decimal : decimals) {
            benchmark::DoNotOptimize(Convertit_Romain(decimal));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(decimals.size()));
}
BENCHMARK(ConvertWholeRange)->Unit(benchmark::kMicrosecond);

// One question from set-up to score, as a drill window runs it, at each level.
void QuestionCycle(benchmark::State &state) {
    const auto level = state.range(0);
    const auto sens = state.range(1) == 0 ? Sens_Romain : Sens_Arabe;
    Etat_Global = T_Etat_Global{};
    Etat_Global.Niveau_I = level == 1;
    Etat_Global.Niveau_II = level == 2;
    Etat_Global.Niveau_III = level == 3;
    static SeededRandom seeded;
    seeded.seed(1);
    setRandomSource(&seeded);
    bool right = false;
    for (auto _ : state) {
        const Question_Preparee question = Prepare_Question(sens);
        benchmark::DoNotOptimize(question);
        right = !right;
        const std::string answer =
            right ? (sens == Sens_Romain ? Etat_Global.Attendu_Rom : Etat_Global.Attendu_Arab)
                  : std::string("X");
        benchmark::DoNotOptimize(Juge_Reponse(sens, answer));
        benchmark::DoNotOptimize(Calcule_Score(sens));
        Decale_Anciens(sens);
    }
}
BENCHMARK(QuestionCycle)->ArgNames({"level", "arabic"})->ArgsProduct({{1, 2, 3}, {0, 1}});

} // namespace
