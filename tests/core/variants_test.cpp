#include "core/variants.h"

#include <gtest/gtest.h>

using namespace trgui::core::variants;

TEST(VariantCodeList, namesByCode)
{
    EXPECT_EQ(variantCodeList().size(), 46u);
    EXPECT_EQ(modelName(0), "----");
    EXPECT_EQ(modelName(1), "KM210-E1H1");
    EXPECT_EQ(modelName(12), "KM210-E1N4A1H1");
    EXPECT_EQ(modelName(17), "KM210-DR-E1S2H1");
    EXPECT_EQ(modelName(45), "KM210-WT-E1N4M2H1");
    EXPECT_EQ(modelName(46), "");
    EXPECT_EQ(modelName(-1), "");
}

TEST(AvailabilityMasks, knownRows)
{
    EXPECT_EQ(availabilityMask(1), "111111111111111111");
    EXPECT_EQ(availabilityMask(2), "111111000001111111");
    EXPECT_EQ(availabilityMask(27), "000000000000000000");
    EXPECT_EQ(availabilityMask(45), "000000000000000111");
    EXPECT_EQ(availabilityMask(0), "");
}

TEST(IsUnavailable, codeZeroShowsMaskedFieldsButNoFittings)
{
    for (int control : MaskedControls) {
        if (control != kTeeFitting && control != kValveFitting) {
            EXPECT_FALSE(isUnavailable(0, control, 0)) << control;
        }
    }
    EXPECT_TRUE(isUnavailable(0, kTeeFitting, 0));
    EXPECT_TRUE(isUnavailable(0, kValveFitting, 1));
    EXPECT_FALSE(isUnavailable(0, kPipeSize, 2));
}

TEST(IsUnavailable, code12StandardWithN4A1)
{
    for (int control : {1134, 1138, 1146, kTeeFitting, kValveFitting})
        EXPECT_TRUE(isUnavailable(12, control, 0)) << control;
    for (int control : {1059, 1066, 1070, 1075, 1078, 1082, 1086, 1094, 1098, 1102, 1106, 1111, 1114})
        EXPECT_FALSE(isUnavailable(12, control, 0)) << control;
}

TEST(IsUnavailable, code20FollowsTheSensor)
{
    EXPECT_FALSE(isUnavailable(20, kTeeFitting, 2));
    EXPECT_TRUE(isUnavailable(20, kValveFitting, 2));
    EXPECT_TRUE(isUnavailable(20, kPipeSize, 2));
    EXPECT_TRUE(isUnavailable(20, 1094, 2)) << "A2 variants have no limit contacts";
    EXPECT_TRUE(isUnavailable(20, 1111, 2)) << "nor a frequency output";
    EXPECT_FALSE(isUnavailable(20, 1066, 2));
    // Family 2: T-piece only for sensor 0, ball valve only for sensor 1.
    EXPECT_FALSE(isUnavailable(33, kTeeFitting, 0));
    EXPECT_TRUE(isUnavailable(33, kPipeSize, 0));
    EXPECT_FALSE(isUnavailable(33, kPipeSize, 2));
    EXPECT_FALSE(isUnavailable(33, kValveFitting, 1));
}

TEST(AvailabilityGroups, everyMaskedControlHasAGroup)
{
    for (int control : MaskedControls) {
        bool found = false;
        for (const auto& g : availabilityGroups())
            found = found || g.control == control;
        EXPECT_TRUE(found) << control;
    }
    EXPECT_EQ(availabilityGroups().back().control, kPipeSize);
}

TEST(OperationMasks, familiesAndOptions)
{
    EXPECT_EQ(operationMask(2), "10011");
    EXPECT_EQ(operationMask(18), "00000");
    EXPECT_EQ(operationMask(16), "01111");
    EXPECT_EQ(operationMask(33), "10000");

    using F = OperationFunction;
    for (F f : {F::LowFlowSuppression, F::LimitContact1, F::LimitContact2, F::Ready, F::ErrorContact}) {
        const int i = static_cast<int>(f);
        EXPECT_EQ(operationLacks(2, f), f != F::LimitContact1 && f != F::LimitContact2) << i;
        EXPECT_FALSE(operationLacks(18, f)) << i;
        EXPECT_FALSE(operationLacks(99, f)) << "unknown codes show everything";
    }
}
