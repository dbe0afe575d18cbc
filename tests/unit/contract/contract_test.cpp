// Every contract case as one host test on the simulated machine.
#include <gtest/gtest.h>

#include "sim_world.h"

namespace {

class Contract : public ::testing::TestWithParam<contract::Case> {};

TEST_P(Contract, OnTheSimulatedMachine) {
    contract::SimWorld world;
    contract::Checker check;
    GetParam().run(world, check);
    for (const auto& failure : check.failures)
        ADD_FAILURE() << failure;
}

// The cases register themselves as their files are initialised; gtest asks for them later.
INSTANTIATE_TEST_SUITE_P(Sim, Contract, ::testing::ValuesIn(contract::Cases()),
                         [](const ::testing::TestParamInfo<contract::Case>& info) { return info.param.name; });

} // namespace
