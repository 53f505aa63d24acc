#pragma once

// Draws the program's icons and the toolbar's buttons and registers them by identifier.
void RegisterIcons();
