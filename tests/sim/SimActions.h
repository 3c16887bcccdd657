#pragma once
// Choosing the next step at random and carrying a step out, on a device's
// sync folder, through the service's admin API or on the processes.
#include <random>

#include "SimModel.h"
#include "SimStep.h"
#include "SimWorld.h"

namespace simtest {

// A random step against what its side sees now.
Step ChooseStep(World& world, std::mt19937_64& random, std::uint64_t tag);

// Carries the step out and tells the model what a user wrote and knowingly
// replaced. A step whose path isn't (or is no longer) there does nothing.
void ApplyStep(World& world, Model& model, const Step& step, int index);

}  // namespace simtest
