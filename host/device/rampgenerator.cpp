#include "rampgenerator.h"

void RampGenerator::step(const Settings&, double target, State& state, double)
{
    state.position = target;
    state.velocity = 0;
}
