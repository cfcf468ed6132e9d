// The texts of the link label's failure box.
#include "ui/OpenErrorText.h"

#include <gtest/gtest.h>

TEST(OpenErrorText, SharingViolationKeepsItsTrailingBlank) {
    EXPECT_EQ(OpenErrorMessage(kErrSharingViolation),
              "Unable to open hyperlink:\n\nA sharing violation occurred. ");
}

TEST(OpenErrorText, CodeWithoutTextShowsItsNumber) {
    for (const int code : {1, 33, -7}) {
        EXPECT_EQ(OpenErrorMessage(code), "Unable to open hyperlink:\n\nUnknown Error (" +
                                              std::to_string(code) + ") occurred.");
    }
}

TEST(OpenErrorText, MultiLineTextsKeepTheirBreaks) {
    EXPECT_EQ(OpenErrorText(0), "The operating system is out\nof memory or resources.");
    EXPECT_EQ(OpenErrorText(30), "The DDE transaction could not\nbe completed because other DDE "
                                 "transactions\nwere being processed.");
    EXPECT_EQ(OpenErrorText(31),
              "There is no application associated\nwith the given filename extension.");
}
