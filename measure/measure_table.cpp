#include "measure/measure_table.h"

#include "base/string_table.h"
#include "measure/labels.h"

#include <algorithm>

const std::wstring& ShapeKindName(int kind) {
    static const std::wstring none;
    switch (kind) {
        case TOOL_LINE:
            return GetText("tip line");
        case TOOL_PARALLEL_LINES:
            return GetText("tip line2");
        case TOOL_RECTANGLE:
            return GetText("tip rectangle");
        case TOOL_CIRCLE:
            return GetText("tip circle");
        case TOOL_CONCENTRIC_CIRCLES:
            return GetText("tip circle2");
        case TOOL_ANGLE:
            return GetText("tip angle");
        case TOOL_PENCIL:
            return GetText("tip pencil");
        case TOOL_TEXT:
            return GetText("tip text");
        case TOOL_ARROW:
            return GetText("tip arrow");
        default:
            return none;
    }
}

namespace {

std::wstring Cell(std::wstring_view text) {
    std::wstring cell(text);
    std::replace_if(
        cell.begin(), cell.end(), [](wchar_t c) { return c == L'\t' || c == L'\r' || c == L'\n'; }, L' ');
    return cell;
}

} // namespace

std::wstring MeasurementTable(const std::vector<MeasureShape>& shapes, float scale, std::wstring_view unit) {
    if (shapes.empty())
        return {};
    std::vector<ShapeLabels> labels;
    labels.reserve(shapes.size());
    int valueColumns = 0;
    for (const MeasureShape& shape : shapes) {
        labels.push_back(LabelsOfShape(shape, shape.kind, scale, unit));
        valueColumns = std::max(valueColumns, labels.back().count);
    }

    std::wstring table = GetText("col number") + L"\t" + GetText("col kind");
    for (int i = 0; i < valueColumns; ++i) {
        table += L"\t" + GetText("col value");
        if (valueColumns > 1)
            table += FormatText(L" %d", i + 1);
    }
    table += L"\t" + GetText("tip text") + L"\r\n";

    for (size_t i = 0; i < shapes.size(); ++i) {
        table += FormatText(L"%d", static_cast<int>(i + 1)) + L"\t" + ShapeKindName(shapes[i].kind);
        for (int v = 0; v < valueColumns; ++v)
            table += L"\t" + (v < labels[i].count ? Cell(labels[i].lines[v]) : std::wstring());
        table += L"\t";
        if (shapes[i].kind == TOOL_TEXT)
            table += Cell(shapes[i].text);
        table += L"\r\n";
    }
    return table;
}
