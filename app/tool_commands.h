// Which toolbar button stands for which measuring tool.
#pragma once

// The button that shows as checked while `tool` is current; the Drag button for any
// value that is not a drawing tool.
int ToolButtonForTool(int tool);

// The tool a toolbar command selects, or -1 when the command is not a tool button.
int ToolForCommand(int command);
