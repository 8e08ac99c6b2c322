// Resource ids shared by the resource scripts and the code that loads the resources.
#pragma once

// The program's icon: id 1 makes it the executable's first icon, the one the shell shows.
#define IDI_TARVO 1

// The pointing hand shown over the settings window's link labels.
#define IDC_TARVO_LINK 101
