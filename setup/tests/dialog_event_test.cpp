// Dialog-event classification by the sum of the first two character codes.
#include "setup/dialog_event.h"

#include <gtest/gtest.h>

TEST(DialogEvent, TheToolkitsEventWords) {
    EXPECT_EQ(ClassifyDialogEvent("CONTINUE"), DialogEvent::Continue);
    EXPECT_EQ(ClassifyDialogEvent("BACK"), DialogEvent::Back);
    EXPECT_EQ(ClassifyDialogEvent("CANCEL"), DialogEvent::Cancel);
    EXPECT_EQ(ClassifyDialogEvent("EXIT"), DialogEvent::Exit);
}

TEST(DialogEvent, OnlyTheFirstTwoCharactersCount) {
    EXPECT_EQ(ClassifyDialogEvent("CO"), DialogEvent::Continue);
    EXPECT_EQ(ClassifyDialogEvent("EXTRA"), DialogEvent::Exit);
    EXPECT_EQ(ClassifyDialogEvent("BAD"), DialogEvent::Back);
    EXPECT_EQ(ClassifyDialogEvent("CAT"), DialogEvent::Cancel);
}

TEST(DialogEvent, TheSumDecidesSoSwappedLettersMatchToo) {
    // 'O' + 'C' is 146 like 'C' + 'O'; 'A' + 'B' is 131 like "BA".
    EXPECT_EQ(ClassifyDialogEvent("OC"), DialogEvent::Continue);
    EXPECT_EQ(ClassifyDialogEvent("AB"), DialogEvent::Back);
    EXPECT_EQ(ClassifyDialogEvent("XE"), DialogEvent::Exit);
}

TEST(DialogEvent, EverythingElseIsOther) {
    EXPECT_EQ(ClassifyDialogEvent(""), DialogEvent::Other);
    EXPECT_EQ(ClassifyDialogEvent("C"), DialogEvent::Other);
    EXPECT_EQ(ClassifyDialogEvent("continue"), DialogEvent::Other);
    EXPECT_EQ(ClassifyDialogEvent("HELP"), DialogEvent::Other);
    EXPECT_EQ(ClassifyDialogEvent(nullptr), DialogEvent::Other);
}

TEST(DialogEvent, CharactersCountAsSignedBytes) {
    // Read unsigned, 0x80 + 0x12 would be 146 (Continue) and 0x80 + 0x03 131
    // (Back); as signed bytes they are -110 and -125.
    EXPECT_EQ(ClassifyDialogEvent("\x80\x12"), DialogEvent::Other);
    EXPECT_EQ(ClassifyDialogEvent("\x80\x03"), DialogEvent::Other);
    EXPECT_EQ(ClassifyDialogEvent("\x81\x03"), DialogEvent::Other);
}
