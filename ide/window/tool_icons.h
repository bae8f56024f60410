#pragma once
// Icons of the main frame's tool bar: the desktop theme's when it has one,
// else small pictures drawn here, so no button is ever blank.

#include <QIcon>

#include "ide/commands/command_state.h"

namespace lumora::ide {

// The theme's icon for the command, else the drawn one; null for commands
// that have no place on the tool bar.
QIcon tool_bar_icon(CommandId id);

// The drawn picture alone (16 x 15, as the bar's buttons are).
QIcon drawn_tool_bar_icon(CommandId id);

}  // namespace lumora::ide
