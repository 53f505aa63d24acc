#pragma once

#include <QIcon>

// Icons by resource or command identifier: the application registers them at start,
// frames, toolbars and dialogs look them up.
void AfxRegisterIcon(unsigned id, const QIcon& icon);
QIcon AfxLoadIcon(unsigned id);
