// What the calibration dialogs show and read: the cells of the manage dialog's list, the
// calibration dialog's title, and the slot a typed length makes. Pure code (no windows.h).
#pragma once

#include "base/layout_units.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "measure/calibration.h"

// Columns of the manage dialog's list, in their order.
enum CalibrationColumn : int {
    CALIB_COLUMN_NAME = 0,
    CALIB_COLUMN_VALUE,
    CALIB_COLUMN_UNIT,
    CALIB_COLUMN_DATE,
    CALIB_COLUMN_RESOLUTION,
};
inline constexpr int kCalibrationColumnCount = 5;

// Pixels per unit with two decimals ("200.00"); empty when the slot is not calibrated.
std::wstring CalibrationValueText(const Calibration& slot);

// "mm" or "μm"; empty when the slot is not calibrated.
std::wstring CalibrationUnitCell(const Calibration& slot);

// yyyymmdd as "mm/dd/yyyy"; empty for a year before 2020 (which covers "no date").
std::wstring CalibrationDateText(int date);

// "WxH" of the resolution word; empty below 640x480.
std::wstring CalibrationResolutionText(uint32_t resolution);

// The five cells of a slot's row, indexed by CalibrationColumn.
std::array<std::wstring, kCalibrationColumnCount> CalibrationRowTexts(const Calibration& slot);

// "Calibrate - ID:<slot + 1> Name:<name>".
std::wstring CalibrationDialogTitle(int slotIndex, std::wstring_view name);

// The leading decimal number of a typed length ("2", " 0.5mm", "1e-1", "2,5" with a decimal
// comma); 0 when the text does not start with one.
double ParseCalibrationLength(std::wstring_view text);

// yyyymmdd of a calendar day.
inline int CalibrationDate(int year, int month, int day) {
    return year * 10000 + month * 100 + day;
}

// The slot as a calibration of `pixels` line pixels against the typed length leaves it: the name
// stays, everything else is new. Nothing (the dialog stays open) when the length or the scale
// it gives is not a positive finite number.
std::optional<Calibration> CalibrateSlot(const Calibration& slot, int unit, int pixels,
                                         std::wstring_view lengthText, int date, uint32_t resolution);

// Top-left corner of a calibration dialog `dialogWidth` wide: where every dialog goes over its
// owner (DialogCornerOver).
DialogCorner CalibrationDialogCorner(int ownerLeft, int ownerTop, int ownerWidth, int dialogWidth);
