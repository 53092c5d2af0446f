#pragma once

class QAbstractButton;

// A button the keyboard reaches and uses: Tab stops at it, Space, Enter and Return press
// it, and a button without a caption is named by its hint for screen readers.
void makeKeyboardButton(QAbstractButton *button);
