#include "core/errors.h"
#include "core/text/cp1250.h"
#include "core/text/datetime.h"
#include "core/text/field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace zel;

TEST(Cp1250, EveryCodeSurvivesUtf8AndHungarianLettersMapToTheirCodes) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_EQ(utf8ToCp1250(cp1250ToUtf8(all)), all);

    EXPECT_EQ(utf8ToCp1250("ÁÉÍÓÖŐÚÜŰáéíóöőúüű"),
              "\xC1\xC9\xCD\xD3\xD6\xD5\xDA\xDC\xDB\xE1\xE9\xED\xF3\xF6\xF5\xFA\xFC\xFB");
    EXPECT_EQ(cp1250ToUtf8("\x80\x8A"), "€Š");
}

TEST(Cp1250, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
    EXPECT_EQ(utf8ToCp1250("a😀b"), "a?b");
    EXPECT_EQ(utf8ToCp1250("日本"), "??");
    EXPECT_EQ(utf8ToCp1250("x\xC3"), "x?"); // cut sequence
    EXPECT_EQ(utf8ToCp1250("\xFF\xFE!"), "?"
                                         "?!");   // not UTF-8 at all
    EXPECT_EQ(utf8ToCp1250("\xE0\x82\xAC"), "?"); // an overlong form of a code-page character
}

TEST(Field, StoringCutsToCapacityAndReadingNeverPassesTheField) {
    std::uint8_t f[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    putField(f, 5, "abcdefgh");
    EXPECT_EQ(f[0], 5);
    EXPECT_EQ(getField(f, 5), "abcde");
    putField(f, 5, "");
    EXPECT_EQ(f[0], 0);
    EXPECT_EQ(getField(f, 5), "");

    std::uint8_t bad[4] = {200, 'x', 'y', 'z'};
    EXPECT_EQ(getField(bad, 3), "xyz");
}

TEST(Dates, DayNumbersTextsAndWeekdays) {
    EXPECT_EQ(dayNumber(1899, 12, 30), 0);
    EXPECT_EQ(dayNumber(2024, 1, 1), 45292);
    EXPECT_EQ(dayNumber(2024, 3, 5), 45356);
    EXPECT_EQ(ymdOf(45356), (Ymd{2024, 3, 5}));
    EXPECT_EQ(ymdOf(kFirstDay), (Ymd{1, 1, 1}));
    EXPECT_EQ(ymdOf(kLastDay), (Ymd{9999, 12, 31}));
    EXPECT_EQ(dateText(45356), "2024.03.05.");
    EXPECT_EQ(timeText(545), "9:05");
    EXPECT_EQ(timeText(0), "0:00");
    EXPECT_EQ(timeText(14 * 60 + 30), "14:30");
    EXPECT_EQ(clockTimeText(9, 5, 7), "9:05:07");
    EXPECT_EQ(weekdayOf(dayNumber(2026, 12, 6)), 6); // a Sunday
    EXPECT_EQ(weekdayOf(dayNumber(2026, 12, 7)), 0);
    EXPECT_FALSE(isLeapYear(1900));
    EXPECT_TRUE(isLeapYear(2000));
    EXPECT_EQ(daysInMonth(2025, 2), 28);
}

TEST(Dates, StoredValuesOnlyTheWholeDayAndTheRoundedMinuteCount) {
    EXPECT_EQ(dayFromStored(45356.75), 45356);
    EXPECT_EQ(dateText(*dayFromStored(45356.75)), "2024.03.05.");
    EXPECT_FALSE(dayFromStored(std::nan("")).has_value());
    EXPECT_FALSE(dayFromStored(std::numeric_limits<double>::infinity()).has_value());
    EXPECT_FALSE(dayFromStored(1e300).has_value());
    EXPECT_FALSE(dayFromStored(-1e7).has_value());

    EXPECT_EQ(minuteFromStored(545.0 / 1440.0), 545);
    EXPECT_EQ(minuteFromStored(storedFromMinute(1439)), 1439);
    EXPECT_EQ(minuteFromStored(545.0 / 1440.0 - 1e-12), 545);    // float noise is not a minute less
    EXPECT_EQ(minuteFromStored((545 * 60 + 59) / 86400.0), 545); // seconds are dropped
    EXPECT_EQ(minuteFromStored(0.99999999999), 1439);
    EXPECT_FALSE(minuteFromStored(std::nan("")).has_value());
    for (int m = 0; m < 1440; ++m)
        ASSERT_EQ(minuteFromStored(storedFromMinute(m)), m);
}

TEST(Dates, ParsingTheProgramsOwnPattern) {
    EXPECT_EQ(parseDateText("2024.03.05."), 45356);
    EXPECT_EQ(parseDateText("2024.3.5"), 45356);
    EXPECT_EQ(parseDateText("2024.02.29."), dayNumber(2024, 2, 29));
    for (const char* bad : {"", "2023.02.29.", "2024-03-05", "2024.13.01.", "24.03.05.x", "abc"})
        EXPECT_FALSE(tryParseDateText(bad).has_value()) << bad;
    try {
        parseDateText("2024.02.30.");
        FAIL();
    } catch (const DateError& e) {
        EXPECT_STREQ(e.what(), "'2024.02.30.' is not a valid date");
        EXPECT_EQ(errorBoxText(e.what()), "'2024.02.30.' is not a valid date.");
    }
    EXPECT_EQ(errorBoxText(IoError(13, "x").what()), "I/O error 13.");
    EXPECT_EQ(errorBoxText("kész."), "kész.");
}
