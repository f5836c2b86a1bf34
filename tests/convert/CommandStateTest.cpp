#include "convert/CommandState.h"

#include <gtest/gtest.h>

using namespace vc;

TEST(CommandState, ColumnsApplyLeftToRight) {
    auto s = commandState({});
    EXPECT_TRUE(s["bt_dvdopen"]);
    EXPECT_FALSE(s["bt_clear"]);
    EXPECT_FALSE(s["Remove1"]);
    EXPECT_FALSE(s["play_bar"]);

    s = commandState({3, false, false, false});
    EXPECT_TRUE(s["bt_clear"]);
    EXPECT_TRUE(s["bt_chapte"]); // answers with its own message when nothing is selected
    EXPECT_FALSE(s["bt_remove"]);
    EXPECT_FALSE(s["bt_play"]);

    s = commandState({3, true, false, false});
    EXPECT_TRUE(s["bt_remove"]);
    EXPECT_TRUE(s["Rename1"]);
    EXPECT_TRUE(s["bt_play"]);
    EXPECT_FALSE(s["Stop2"]);

    s = commandState({3, true, true, false});
    EXPECT_FALSE(s["bt_dvdopen"]);
    EXPECT_TRUE(s["bt_playstop"]);
    EXPECT_TRUE(s["cut_play_bar"]);
    EXPECT_FALSE(s["bt_start"]);

    s = commandState({3, true, true, true}); // converting wins over playing
    EXPECT_TRUE(s["Bt_Convertstop"]);
    EXPECT_TRUE(s["Pause1"]);
    EXPECT_FALSE(s["bt_playstop"]);
    EXPECT_FALSE(s["play_bar"]);
    EXPECT_FALSE(s["bt_set"]);
}

TEST(CommandState, ASelectionWithoutRowsCountsAsEmpty) {
    const auto s = commandState({0, true, false, false});
    EXPECT_FALSE(s["bt_remove"]);
    EXPECT_TRUE(s["bt_ifo"]);
}
