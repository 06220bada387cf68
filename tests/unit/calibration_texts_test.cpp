#include "measure/calibration_texts.h"

#include "tests/unit/measure_test_support.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <tuple>

TEST(CalibrationRow, CellsOfCalibratedAndUncalibratedSlotsWithoutOldDatesOrSmallResolutions) {
    // A 400-pixel line over 2 mm: name, value, unit, date, resolution.
    using Cells = std::array<std::wstring, kCalibrationColumnCount>;
    EXPECT_EQ(CalibrationRowTexts(MakeCalibration(L"Stage A", UNIT_MILLIMETRE, 400, 2.0f)),
              (Cells{L"Stage A", L"200.00", L"mm", L"01/31/2024", L"1280x720"}));

    EXPECT_EQ(CalibrationUnitCell(MakeCalibration(L"Stage A", UNIT_MICROMETRE, 300, 250.0f)), L"\u03BCm");
    EXPECT_EQ(CalibrationValueText(MakeCalibration(L"Stage A", UNIT_MILLIMETRE, 2000, 3.0f)), L"666.67");

    // Uncalibrated (length 0: scale -1): only the name, the date and the resolution.
    ASSERT_EQ(MakeCalibration(L"Stage A", UNIT_MILLIMETRE, 400, 0.0f).scale, -1.0f);
    EXPECT_EQ(CalibrationRowTexts(MakeCalibration(L"Stage A", UNIT_MILLIMETRE, 400, 0.0f)),
              (Cells{L"Stage A", L"", L"", L"01/31/2024", L"1280x720"}));

    for (const auto& cell : CalibrationRowTexts(Calibration()))
        EXPECT_EQ(cell, L"");

    Calibration slot;
    slot.scale = FLT_MAX;
    const std::wstring text = CalibrationValueText(slot);
    EXPECT_EQ(text.size(), 42u);
    EXPECT_EQ(text.substr(0, 9), L"340282346");
    EXPECT_EQ(text.substr(39), L".00");

    EXPECT_EQ(CalibrationDateText(20200101), L"01/01/2020");
    EXPECT_EQ(CalibrationDateText(20191231), L"");
    EXPECT_EQ(CalibrationDateText(-20240131), L"");
    EXPECT_EQ(CalibrationDateText(CalibrationDate(2031, 7, 4)), L"07/04/2031");
    // Nonsense from the stored text is shown as it is, without overrunning anything.
    EXPECT_EQ(CalibrationDateText(2147483647), L"36/47/214748");

    EXPECT_EQ(CalibrationResolutionText(PackResolution(640, 480)), L"640x480");
    EXPECT_EQ(CalibrationResolutionText(PackResolution(639, 480)), L"");
    EXPECT_EQ(CalibrationResolutionText(PackResolution(640, 479)), L"");
    // Both halves are unsigned: the stored word may have its top bit set.
    EXPECT_EQ(CalibrationResolutionText(0xFFFFFFFFu), L"65535x65535");
}

TEST(CalibrationDialog, TitleNamesTheSlotFromOneAndTheLengthIsTheTypedLeadingNumber) {
    EXPECT_EQ(CalibrationDialogTitle(0, L"Stage A"), L"Calibrate - ID:1 Name:Stage A");
    EXPECT_EQ(CalibrationDialogTitle(9, L""), L"Calibrate - ID:10 Name:");
    EXPECT_EQ(CalibrationDialogTitle(4, L"10\u00D7 \u03BCscope"),
              L"Calibrate - ID:5 Name:10\u00D7 \u03BCscope");

    struct Case {
        const wchar_t* text;
        double value;
    };
    const Case cases[] = {
        {L"2", 2.0},      {L" 0.5mm", 0.5}, {L"2,5", 2.5},  {L"1e-1", 0.1},  {L"1.5E+2", 150.0},
        {L"1e", 1.0},     {L"3.", 3.0},     {L".5", 0.5},   {L"-3", -3.0},   {L"+4", 4.0},
        {L"", 0.0},       {L"abc", 0.0},    {L"mm 2", 0.0}, {L".", 0.0},     {L"-", 0.0},
        {L"nan", 0.0},    {L"inf", 0.0},    {L"0x10", 0.0}, {L"1e999", 0.0}, {L"2 mm", 2.0},
        {L"\u0662", 0.0}, // Arabic-Indic two is not read as a digit
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(ParseCalibrationLength(c.text), c.value) << static_cast<const void*>(c.text);
}

TEST(CalibrationDialog, OkMakesTheSlotFromAPositiveLengthAndTheDialogOpensOverItsOwner) {
    Calibration old = MakeCalibration(L"Stage A", UNIT_MICROMETRE, 123, 7.0f);
    old.name = L"Objective 4x";
    const auto slot = CalibrateSlot(old, UNIT_MILLIMETRE, 400, L"2", 20240615, PackResolution(640, 480));
    ASSERT_TRUE(slot);
    EXPECT_EQ(
        std::tuple(slot->name, slot->unit, slot->pixels, slot->length, slot->scale, slot->date,
                   slot->resolution),
        std::tuple(L"Objective 4x", UNIT_MILLIMETRE, 400, 2.0f, 200.0f, 20240615, PackResolution(640, 480)));

    old = MakeCalibration(L"Stage A", UNIT_MILLIMETRE, 400, 2.0f);
    for (const wchar_t* text : {L"0", L"-2", L"abc", L"", L"0.0000", L"nan", L"inf", L"1e39", L"1e-40"})
        EXPECT_FALSE(CalibrateSlot(old, UNIT_MILLIMETRE, 400, text, 20240101, 0))
            << static_cast<const void*>(text);
    EXPECT_FALSE(CalibrateSlot(old, UNIT_MILLIMETRE, 0, L"2", 20240101, 0));
    EXPECT_FALSE(CalibrateSlot(old, UNIT_MILLIMETRE, -300, L"2", 20240101, 0));

    EXPECT_EQ(CalibrationDialogCorner(100, 50, 1280, 400), (DialogCorner{540, 118}));
    // Wider than its owner: it reaches out on both sides (the Options and Open-microscope dialogs are
    // placed by the same code).
    EXPECT_EQ(CalibrationDialogCorner(0, 0, 300, 501), (DialogCorner{-100, 68}));
}
