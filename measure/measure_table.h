// The measurements as a table for other programs: one row per shape with its number, its kind,
// its label texts as the picture shows them and a note's text, tab-separated under a header row,
// in the interface language. Pure code.
#pragma once

#include "measure/shape_model.h"

#include <string>
#include <string_view>
#include <vector>

// The kind's name as the toolbar names the tool; empty for a kind that is not a shape.
const std::wstring& ShapeKindName(int kind);

// Rows end in CR LF. Empty without shapes. Tabs and line breaks inside a note become blanks, so a
// note never splits a row or a cell.
std::wstring MeasurementTable(const std::vector<MeasureShape>& shapes, float scale, std::wstring_view unit);
