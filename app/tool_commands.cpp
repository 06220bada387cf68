#include "app/tool_commands.h"

#include "panels/panel_messages.h"
#include "measure/measure_tool.h"

namespace {

struct ToolButton {
    int tool;
    int button;
};

constexpr ToolButton kToolButtons[] = {
    {TOOL_LINE, IDC_TOOL_LINE},
    {TOOL_PARALLEL_LINES, IDC_TOOL_PARALLEL},
    {TOOL_RECTANGLE, IDC_TOOL_RECTANGLE},
    {TOOL_CIRCLE, IDC_TOOL_CIRCLE},
    {TOOL_CONCENTRIC_CIRCLES, IDC_TOOL_CONCENTRIC},
    {TOOL_ANGLE, IDC_TOOL_ANGLE},
    {TOOL_PENCIL, IDC_TOOL_PENCIL},
    {TOOL_TEXT, IDC_TOOL_TEXT},
    {TOOL_ARROW, IDC_TOOL_ARROW},
};

} // namespace

int ToolButtonForTool(int tool) {
    for (const ToolButton& entry : kToolButtons) {
        if (entry.tool == tool)
            return entry.button;
    }
    return IDC_TOOL_DRAG;
}

int ToolForCommand(int command) {
    if (command == IDC_TOOL_DRAG)
        return TOOL_DRAG;
    for (const ToolButton& entry : kToolButtons) {
        // The text tool has its own command handling (it needs an open camera).
        if (entry.button == command && entry.tool != TOOL_TEXT)
            return entry.tool;
    }
    return -1;
}
