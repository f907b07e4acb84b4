#pragma once
// The process's uniform pseudo-random source. The default generator starts
// from the same fixed state in every process, so a run is repeatable.

#include <functional>

namespace tavro {

double nextRandom();                                   // next value in [0, 1)
void setRandomSource(std::function<double()> source);  // empty function: back to the default

}  // namespace tavro
