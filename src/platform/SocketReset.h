#pragma once

#include <QtGlobal>

// Makes the next close of a connected socket reset the connection instead of ending it.
void resetOnClose(qintptr socketDescriptor);
