// The measuring tools the user picks on the toolbar.
#pragma once

enum MeasureTool : int {
    TOOL_DRAG = 0,
    TOOL_LINE = 1,
    TOOL_PARALLEL_LINES = 2,
    TOOL_RECTANGLE = 3,
    TOOL_CIRCLE = 4,
    TOOL_CONCENTRIC_CIRCLES = 5,
    TOOL_ANGLE = 6,
    TOOL_PENCIL = 11,
    TOOL_TEXT = 12,
    TOOL_ARROW = 13,
    // Internal: the calibration line's end being dragged.
    TOOL_CALIB_LEFT_END = 19,
    TOOL_CALIB_RIGHT_END = 20,
};
