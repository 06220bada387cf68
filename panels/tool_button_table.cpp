#include "panels/tool_button_table.h"

int ToolButtonIndex(int id) {
    for (int i = 0; i < kToolButtonCount; ++i) {
        if (kToolButtons[i].id == id)
            return i;
    }
    return -1;
}

bool IsToolButtonId(int id) {
    return ToolButtonIndex(id) >= 0;
}
