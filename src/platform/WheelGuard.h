#pragma once

class QObject;

// Installs, once per application, a filter that keeps the mouse wheel from changing any
// combo box or slider value: the turn goes to the scroll area around it instead.
void installWheelGuard();
