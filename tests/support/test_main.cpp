// The main of every test program: robot failures are test failures.

#include "robot.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    robot::OnFailure = [](const std::string& what) { ADD_FAILURE() << "robot: " << what; };
    return RUN_ALL_TESTS();
}
