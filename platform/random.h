#pragma once
// The uniform pseudo-random source, from the same fixed state in every process: a run is repeatable.

#include <functional>

namespace tavro {

double nextRandom();                                   // next value in [0, 1)
void setRandomSource(std::function<double()> source);  // empty function: back to the default

}  // namespace tavro
