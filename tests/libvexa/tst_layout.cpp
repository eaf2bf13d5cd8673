// The records of vexa.h are read at fixed offsets by the program: any drift is a build failure here.

#include <gtest/gtest.h>
#include <string>

#include "LayoutChecks.h"
#include "vexa.h"

// The asserts come from the offsets vexa.h states beside each field (layout_checks.py); an empty list would check
// nothing.
static_assert(kLayoutChecks >= 70, "the layout checks lost their records");

// The calls the program makes before start and the codes it reads are part of the same contract.
TEST(Contract, CallsBeforeStart) {
    EXPECT_EQ(VEXA_Stop(), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NOT_STARTED));
    EXPECT_EQ(VEXA_SendInquiry(), 0);
    EXPECT_EQ(VEXA_Clearup(), 0);
    EXPECT_NE(VEXA_SetDeviceFilterRule(1, 0, 0), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_NOERROR));
    EXPECT_EQ(VEXA_SetDeviceFilterRule(1, 5, 0), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_BAD_ARGUMENT));
    EXPECT_NE(VEXA_SetDeviceFilterRule(0, 0, 0), 0);
    EXPECT_EQ(VEXA_ActivateDevice("X", "Abcdef12"), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_NOT_STARTED));
    EXPECT_EQ(VEXA_Start_V40(nullptr, 1, nullptr), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_BAD_ARGUMENT));
    EXPECT_NE(VEXA_SetVerdictFile(nullptr), 0);
    EXPECT_EQ(VEXA_SetVerdictFile(std::string(5000, 'a').c_str()), 0);
    EXPECT_EQ(VEXA_GetLastError(), static_cast<uint32_t>(VEXA_ERR_BAD_ARGUMENT));
}
