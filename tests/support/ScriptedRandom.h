#pragma once

#include "Exercice.h"

#include <deque>
#include <vector>

// Draws chosen by the test: Hasard returns the queued values in turn (each taken modulo the
// count asked for), and every count asked for is recorded. Once the queue is empty it counts
// upwards, so that a redraw loop still ends.
class ScriptedRandom : public RandomSource {
public:
    ScriptedRandom() { setRandomSource(this); }
    ~ScriptedRandom() override { setRandomSource(nullptr); }
    ScriptedRandom(const ScriptedRandom &) = delete;
    ScriptedRandom &operator=(const ScriptedRandom &) = delete;

    void queue(std::initializer_list<int> values) { pending.insert(pending.end(), values); }

    int next(int n) override {
        counts.push_back(n);
        int value = fallback++;
        if (!pending.empty()) {
            value = pending.front();
            pending.pop_front();
        }
        return value % n;
    }

    std::vector<int> counts; // the n of every call of next, in order

private:
    std::deque<int> pending;
    int fallback = 0;
};
