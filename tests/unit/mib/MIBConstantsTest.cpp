// A dictionary rule no fetch against a router shows: the ATU-R rows mirror the ATU-C rows. Wrong,
// lost or doubled rows are caught by the page tests, which read every row from the simulated
// router.
#include "mib/MIBConstants.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(MibTables, AturRowsAreTheAtucRowsAtTheOtherEnd) {
    // physical table 2 -> 3, channel table 4 -> 5, same column in the same row
    for (int i = 0; i < mib::AtucMIBLength; ++i) {
        std::string atuc(mib::AtucMIB[i].OID);
        const std::string table = atuc.substr(0, 12);
        ASSERT_TRUE(table == "10.94.1.1.2." || table == "10.94.1.1.4.") << atuc;
        atuc[10] = table == "10.94.1.1.2." ? '3' : '5';
        EXPECT_EQ(mib::AturMIB[i].OID, atuc) << "row " << i;
    }
}

} // namespace
