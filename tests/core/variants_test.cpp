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
