#pragma once

// Sends every message box to a modal Qt box over the active window.
void InstallQtMessageBoxHandler();
